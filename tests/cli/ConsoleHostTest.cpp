// SPDX-License-Identifier: GPL-2.0-or-later
// The console host: settings in memory, boxes as lines on the error stream,
// dialogs never shown, the file dialog answered once, and virtual time.
#include <chrono>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/ConsoleHost.h"
#include "cli/SessionClock.h"
#include "cli/StatusPrinter.h"
#include "framework/Dialog.h"
#include "res/resource.h"

namespace {

using cli::ConsoleHost;
using cli::SessionClock;
using cli::StatusPrinter;

class ConsoleHostTest : public ::testing::Test {
protected:
    fw::NoPortBackend port;
    SessionClock clock{SessionClock::Mode::Virtual};
    // Both streams in one, to see what comes before what.
    std::ostringstream terminal;
    StatusPrinter status{terminal, StatusPrinter::Style::InPlace};
    ConsoleHost host{port, clock, status, terminal};
};

TEST_F(ConsoleHostTest, SettingsLiveInMemoryAndMatchWithoutCase)
{
    EXPECT_EQ(host.GetProfileInt("BROVIK", "LPT PORT", -7), -7);
    EXPECT_TRUE(host.WriteProfileInt("BROVIK", "LPT PORT", 2));
    EXPECT_EQ(host.GetProfileInt("brovik", "lpt port", 0), 2);
    EXPECT_EQ(host.GetProfileInt("BROVIK", "DELAY BIT", 0), 0);
    EXPECT_EQ(host.GetProfileInt("OTHER", "LPT PORT", 0), 0);
}

TEST_F(ConsoleHostTest, ABoxEndsTheStatusLineAndPrintsItsTextAsOneLine)
{
    status.Show("Blank Check 1%", {0, 8192, 0});
    host.MessageBox(nullptr, "File not intel hex format\n", "brovik-cli", MB_OK);
    host.MessageBox(nullptr, "first line\n\nlast line", "brovik-cli", MB_OK | MB_ICONHAND);
    EXPECT_EQ(terminal.str(), "\r[" + std::string(30, '-') + "] Blank Check 1%\x1b[K\n"
                              "File not intel hex format\nfirst line\n\nlast line\n");
    EXPECT_EQ(host.FaultsReported(), 2);
}

TEST_F(ConsoleHostTest, ADialogIsNeverShownAndAskingForOneIsAFault)
{
    CDialog notice(IDD_LPT);
    EXPECT_EQ(host.RunModal(notice), IDOK);
    EXPECT_EQ(notice.m_hWnd, nullptr);
    EXPECT_EQ(host.FaultsReported(), 1);
    EXPECT_NE(terminal.str().find("dialog 131"), std::string::npos) << terminal.str();
}

TEST_F(ConsoleHostTest, TheFileDialogAnswersOnceThenCancels)
{
    std::string path = "unchanged";
    EXPECT_FALSE(host.GetOpenFileName(nullptr, "Hex File|*.hex||", path));
    EXPECT_EQ(path, "unchanged");
    host.AnswerFileDialog("/tmp/a.hex");
    EXPECT_TRUE(host.GetOpenFileName(nullptr, "Hex File|*.hex||", path));
    EXPECT_EQ(path, "/tmp/a.hex");
    EXPECT_FALSE(host.GetOpenFileName(nullptr, "Hex File|*.hex||", path));
    EXPECT_EQ(host.FaultsReported(), 0);
}

TEST_F(ConsoleHostTest, VirtualSleepsAdvanceTheClockAtOnce)
{
    const auto started = std::chrono::steady_clock::now();
    const std::int64_t before = host.NowMicroseconds();
    host.Sleep(800);
    host.Sleep(40);
    EXPECT_EQ(host.NowMicroseconds() - before, 840000);
    EXPECT_EQ(clock.NowMicroseconds(), host.NowMicroseconds());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(100));
}

} // namespace
