// SPDX-License-Identifier: GPL-2.0-or-later
// What the parser makes of valid command lines. The refusals are checked on
// the executable, with their exit status (BrovikCliTest).
#include <gtest/gtest.h>

#include "cli/Options.h"

namespace {

using cli::Command;
using cli::Options;
using cli::PortChoice;

struct Expected {
    std::vector<std::string> arguments;
    Options options;
};

Options With(Command command, std::string file = {}, int lockLevel = 0)
{
    Options options;
    options.command = command;
    options.file = std::move(file);
    options.lockLevel = lockLevel;
    return options;
}

Options Simulated(Options options, std::optional<std::string> chip = {}, bool fast = false)
{
    options.port = PortChoice::Simulated;
    options.chipPath = std::move(chip);
    options.fast = fast;
    return options;
}

Options Delays(Options options, std::optional<int> bit, std::optional<int> byte)
{
    options.bitDelay = bit;
    options.byteDelay = byte;
    return options;
}

Options OnPort(Options options, PortChoice port)
{
    options.port = port;
    return options;
}

Options Verbose(Options options)
{
    options.verbose = true;
    return options;
}

Options Quiet(Options options)
{
    options.quiet = true;
    return options;
}

Options AtAddress(Options options, std::uint16_t address)
{
    options.port = PortChoice::Address;
    options.portAddress = address;
    return options;
}

Options AtDevice(Options options, std::string device)
{
    options.port = PortChoice::Device;
    options.portDevice = std::move(device);
    return options;
}

TEST(OptionsTest, ValidCommandLines)
{
    const std::vector<Expected> table = {
        {{"erase"}, With(Command::Erase)},
        {{"blank"}, With(Command::Blank)},
        {{"program", "a.hex"}, With(Command::Program, "a.hex")},
        {{"verify", "a.hex"}, With(Command::Verify, "a.hex")},
        {{"auto", "a.hex"}, With(Command::Auto, "a.hex")},
        {{"read", "out.hex"}, With(Command::Read, "out.hex")},
        {{"lock", "1"}, With(Command::Lock, {}, 1)},
        {{"lock", "3"}, With(Command::Lock, {}, 3)},
        {{"--port", "lpt1", "erase"}, OnPort(With(Command::Erase), PortChoice::Lpt1)},
        {{"--port=lpt2", "erase"}, OnPort(With(Command::Erase), PortChoice::Lpt2)},
        {{"erase", "--port", "lpt3"}, OnPort(With(Command::Erase), PortChoice::Lpt3)},
        {{"--port", "sim", "--chip", "c.bin", "--fast", "blank"}, Simulated(With(Command::Blank), "c.bin", true)},
        {{"--fast", "--chip=c.bin", "--port", "sim", "blank"}, Simulated(With(Command::Blank), "c.bin", true)},
        {{"--port", "sim", "blank"}, Simulated(With(Command::Blank))},
        {{"--bit-delay", "1", "--byte-delay", "10", "erase"}, Delays(With(Command::Erase), 1, 10)},
        {{"--bit-delay=07", "erase"}, Delays(With(Command::Erase), 7, {})},
        {{"--bit-delay", "2", "--bit-delay", "9", "erase"}, Delays(With(Command::Erase), 9, {})},
        {{"--verbose", "erase"}, Verbose(With(Command::Erase))},
        // After "--" and for "-", a name that looks like an option is a file.
        {{"program", "--", "--odd.hex"}, With(Command::Program, "--odd.hex")},
        {{"read", "-"}, With(Command::Read, "-")},
        {{"auto", "-"}, With(Command::Auto, "-")},
        {{"-q", "verify", "-"}, Quiet(With(Command::Verify, "-"))},
        {{"program", "x.hex", "--quiet"}, Quiet(With(Command::Program, "x.hex"))},
        {{"program", "--", "-q"}, With(Command::Program, "-q")},
        // A card beyond the dialog's three ports: by base address or device.
        {{"--port", "0xD010", "erase"}, AtAddress(With(Command::Erase), 0xD010)},
        {{"--port=0Xd010", "erase"}, AtAddress(With(Command::Erase), 0xD010)},
        {{"--port", "0x3bc", "erase"}, AtAddress(With(Command::Erase), 0x3BC)},
        {{"--port", "0xFFFD", "erase"}, AtAddress(With(Command::Erase), 0xFFFD)},
        {{"--port", "/dev/parport1", "erase"}, AtDevice(With(Command::Erase), "/dev/parport1")},
        {{"--port=/dev/parport12", "blank"}, AtDevice(With(Command::Blank), "/dev/parport12")},
    };
    for (const Expected& row : table) {
        std::string shown;
        for (const std::string& a : row.arguments)
            shown += a + " ";
        SCOPED_TRACE(shown);
        const auto parsed = cli::ParseCommandLine(row.arguments);
        const Options* options = std::get_if<Options>(&parsed);
        ASSERT_NE(options, nullptr) << std::get<cli::UsageError>(parsed).message;
        EXPECT_FALSE(options->help);
        EXPECT_EQ(options->port, row.options.port);
        EXPECT_EQ(options->chipPath, row.options.chipPath);
        EXPECT_EQ(options->fast, row.options.fast);
        EXPECT_EQ(options->verbose, row.options.verbose);
        EXPECT_EQ(options->quiet, row.options.quiet);
        EXPECT_EQ(options->portAddress, row.options.portAddress);
        EXPECT_EQ(options->portDevice, row.options.portDevice);
        EXPECT_EQ(options->bitDelay, row.options.bitDelay);
        EXPECT_EQ(options->byteDelay, row.options.byteDelay);
        EXPECT_EQ(options->command, row.options.command);
        EXPECT_EQ(options->file, row.options.file);
        EXPECT_EQ(options->lockLevel, row.options.lockLevel);
    }
}

TEST(OptionsTest, HelpWinsOverEverythingElse)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"-h"}, {"--port", "lpt9", "--help"}, {"frobnicate", "-h", "--fast"}}) {
        const auto parsed = cli::ParseCommandLine(arguments);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed));
        EXPECT_TRUE(std::get<Options>(parsed).help);
    }
}

TEST(OptionsTest, PortsThatAreNeitherAnAddressNorADeviceAreRefused)
{
    // No prefix, no digits, zero, too many digits, registers past 0xFFFF,
    // and devices that are not printer ports.
    for (const char* port : {"D010", "0x", "0x0", "0x00000", "0x12345", "0xFFFE", "0xD01G", "-0x10", "/dev/parport",
                             "/dev/parportX", "/dev/parport1a", "/dev/lp0", "parport0", "/dev/parport1234"}) {
        SCOPED_TRACE(port);
        const auto parsed = cli::ParseCommandLine({"--port", port, "erase"});
        const auto* error = std::get_if<cli::UsageError>(&parsed);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->message, std::string("--port takes lpt1, lpt2, lpt3, sim, a device /dev/parportN or a base "
                                              "address such as 0xD010, not \"") + port + "\"");
    }
}

TEST(OptionsTest, QuietAndVerboseCannotBeCombined)
{
    const auto parsed = cli::ParseCommandLine({"-q", "--verbose", "erase"});
    ASSERT_TRUE(std::holds_alternative<cli::UsageError>(parsed));
    EXPECT_EQ(std::get<cli::UsageError>(parsed).message, "--quiet and --verbose cannot be used together");
}

TEST(OptionsTest, VersionWinsOverAllButHelp)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--version"}, {"--port", "lpt9", "--version"}, {"frobnicate", "--version", "-q"}}) {
        const auto parsed = cli::ParseCommandLine(arguments);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed));
        EXPECT_TRUE(std::get<Options>(parsed).version);
        EXPECT_FALSE(std::get<Options>(parsed).help);
    }
    const auto both = cli::ParseCommandLine({"--version", "--help"});
    ASSERT_TRUE(std::holds_alternative<Options>(both));
    EXPECT_TRUE(std::get<Options>(both).help);
}

} // namespace
