// SPDX-License-Identifier: GPL-2.0-or-later
// Where the port and the delays of a run come from: the options, else the
// dialog program's stored settings, else the defaults.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include "cli/RunSettings.h"
#include "framework/IniFile.h"
#include "port/ParportList.h"

namespace {

namespace fs = std::filesystem;
using cli::PortChoice;

class RunSettingsTest : public ::testing::Test {
protected:

    fw::IniFile Stored(const std::string& text) const
    {
        const fs::path path = dir_ / "brovik.INI";
        fs::remove(path);
        if (!text.empty())
            std::ofstream(path, std::ios::binary) << text;
        return fw::IniFile(path.string());
    }

    test::TempDir temp_;
    const fs::path& dir_ = temp_.Path();
};

TEST_F(RunSettingsTest, OptionsWinThenStoredValuesThenDefaults)
{
    struct Case {
        std::string stored;
        std::optional<PortChoice> port;
        std::optional<int> bitDelay, byteDelay;
        PortChoice expectedPort;
        int lptPort, bitDelayUsed, byteDelayUsed;
    };
    const Case cases[] = {
        {"[BROVIK]\nLPT PORT=2\nDELAY BIT=3\nDELAY BYTE=4\n", {}, {}, {}, PortChoice::Lpt2, 2, 3, 4},
        {"[BROVIK]\nLPT PORT=2\nDELAY BIT=3\nDELAY BYTE=4\n", PortChoice::Lpt3, 8, {}, PortChoice::Lpt3, 3, 8, 4},
        // The simulated adapter sits at LPT1, whatever was stored.
        // Stored delays reach the dialog as stored, which takes them as in its
        // own program: none or 0 becomes 1 there, and 11 is used as 11.
        {"[BROVIK]\nLPT PORT=3\n", PortChoice::Simulated, {}, {}, PortChoice::Simulated, 1, 0, 0},
        {"", PortChoice::Simulated, {}, 10, PortChoice::Simulated, 1, 0, 10},
        {"[BROVIK]\nLPT PORT=1\nDELAY BIT=0\nDELAY BYTE=11\n", {}, {}, {}, PortChoice::Lpt1, 1, 0, 11},
        {"[BROVIK]\nLPT PORT=1\nDELAY BIT=11\nDELAY BYTE=200\n", {}, 10, {}, PortChoice::Lpt1, 1, 10, 200},
        {"[BROVIK]\nLPT PORT=1\nDELAY BIT=-3\nDELAY BYTE=10\n", {}, {}, {}, PortChoice::Lpt1, 1, -3, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        cli::Options options;
        options.port = c.port;
        options.bitDelay = c.bitDelay;
        options.byteDelay = c.byteDelay;
        const auto resolved = cli::ResolveRunSettings(options, Stored(c.stored));
        const auto* settings = std::get_if<cli::RunSettings>(&resolved);
        ASSERT_NE(settings, nullptr) << std::get<cli::UsageError>(resolved).message;
        EXPECT_EQ(settings->port, c.expectedPort);
        EXPECT_EQ(settings->lptPort, c.lptPort);
        EXPECT_EQ(settings->bitDelay, c.bitDelayUsed);
        EXPECT_EQ(settings->byteDelay, c.byteDelayUsed);
    }
}

TEST_F(RunSettingsTest, WithoutAUsablePortTheRunCannotStart)
{
    for (const char* stored : {"", "[BROVIK]\nLPT PORT=0\n", "[BROVIK]\nLPT PORT=4\n", "[OTHER]\nLPT PORT=1\n"}) {
        SCOPED_TRACE(stored);
        const fw::IniFile ini = Stored(stored);
        const auto resolved = cli::ResolveRunSettings(cli::Options{}, ini);
        const auto* error = std::get_if<cli::UsageError>(&resolved);
        ASSERT_NE(error, nullptr);
        EXPECT_NE(error->message.find("pass --port"), std::string::npos);
        EXPECT_NE(error->message.find(ini.Path()), std::string::npos);
    }
}

// A port by address or device is driven as the dialog's LPT1, moved to its
// base; a device's base is the one the kernel reports for it.
TEST_F(RunSettingsTest, APortByAddressOrDeviceIsDrivenAsLpt1AtItsBase)
{
    cli::Options options;
    options.port = PortChoice::Address;
    options.portAddress = 0xD010;
    const auto resolved = cli::ResolveRunSettings(options, Stored("[BROVIK]\nLPT PORT=2\n"));
    const auto* settings = std::get_if<cli::RunSettings>(&resolved);
    ASSERT_NE(settings, nullptr) << std::get<cli::UsageError>(resolved).message;
    EXPECT_EQ(settings->port, PortChoice::Address);
    EXPECT_EQ(settings->lptPort, 1);
    EXPECT_EQ(settings->relocatedBase, 0xD010);

    options.port = PortChoice::Lpt2;
    const auto lpt2 = cli::ResolveRunSettings(options, Stored(""));
    ASSERT_TRUE(std::holds_alternative<cli::RunSettings>(lpt2));
    EXPECT_EQ(std::get<cli::RunSettings>(lpt2).relocatedBase, 0) << "the dialog's own ports are not moved";

    const std::vector<hw::ParportInfo> kernel = {{0, 0x378}, {1, 0xD010}, {2, 0}};
    struct Case {
        const char* device;
        std::optional<std::uint16_t> base;
        const char* message;
    };
    const Case cases[] = {
        {"/dev/parport0", 0x378, ""},
        {"/dev/parport1", 0xD010, ""},
        {"/dev/parport2", {}, "/dev/parport2 has no I/O base address"},
        {"/dev/parport3", {}, "the kernel reports no /dev/parport3"},
        {"/dev/parport01", {}, "the kernel reports no /dev/parport01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        const auto base = cli::DeviceBaseAddress(c.device, kernel);
        if (c.base) {
            ASSERT_TRUE(std::holds_alternative<std::uint16_t>(base)) << std::get<cli::UsageError>(base).message;
            EXPECT_EQ(std::get<std::uint16_t>(base), *c.base);
        } else {
            ASSERT_TRUE(std::holds_alternative<cli::UsageError>(base));
            EXPECT_EQ(std::get<cli::UsageError>(base).message.rfind(c.message, 0), 0u)
                << std::get<cli::UsageError>(base).message;
        }
    }
}

} // namespace
