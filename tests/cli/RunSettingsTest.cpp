// Where the port and the delays of a run come from: the options, else the
// dialog program's stored settings, else the defaults.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include "cli/RunSettings.h"
#include "framework/IniFile.h"

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

} // namespace
