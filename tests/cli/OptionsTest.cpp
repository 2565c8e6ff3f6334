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

} // namespace
