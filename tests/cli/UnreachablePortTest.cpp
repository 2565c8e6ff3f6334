// SPDX-License-Identifier: GPL-2.0-or-later
// brovik-cli on a printer port it cannot reach, for real: run as uid 65534,
// who may neither open a ppdev device nor do direct port I/O. Each command
// ends right after the message that says so: no command to a chip, no
// sleep, no "Ok", exit status 1, and no hint about a locked chip, since no
// chip was asked.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/HexWriter.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/FileChecks.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// A port device that anybody may open would be reachable after all.
bool AnyPortDeviceOpenToAll()
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/dev", error)) {
        struct stat status {};
        if (entry.path().filename().string().starts_with("parport") && ::stat(entry.path().c_str(), &status) == 0 &&
            (status.st_mode & (S_IROTH | S_IWOTH)) == (S_IROTH | S_IWOTH))
            return true;
    }
    return false;
}

TEST(UnreachablePort, EachCommandEndsAtTheMessageWithoutTouchingAChip)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "runs brovik-cli as uid 65534 through setpriv, which needs root";
    if (AnyPortDeviceOpenToAll())
        GTEST_SKIP() << "a /dev/parport device here is open to every user, so the port can be reached";
    test::TempDir dir;
    const std::vector<std::string> environment = test::UserEnvironmentIn(dir.Path());
    for (const fs::path& folder : {dir.Path(), dir.Path() / "home", dir.Path() / "config", dir.Path() / "data",
                                   dir.Path() / "runtime"})
        ASSERT_EQ(::chown(folder.c_str(), test::kNobody, test::kNobody), 0);
    // With this byte delay a single entry into programming mode would sleep
    // for eight seconds.
    std::ofstream(dir.Path() / "config/brovik.INI") << "[BROVIK]\nLPT PORT=1\nDELAY BIT=1\nDELAY BYTE=10\n";
    const std::vector<std::string> launcher = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                               "--"};
    const std::string image = cli::IntelHexText(std::vector<std::uint8_t>(64, 0x5A));

    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"erase"}, {"program", "-"}, {"lock", "1"}, {"auto", "-"}, {"blank"}}) {
        SCOPED_TRACE(command[0]);
        const auto started = std::chrono::steady_clock::now();
        const test::CliResult result =
            test::RunCli(command, environment, {.standardInput = image, .launcher = launcher});
        const auto took = std::chrono::steady_clock::now() - started;

        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_EQ(result.err.rfind("Cannot reach the parallel port at 0x378, so the programmer cannot be used.\n", 0),
                  0u)
            << result.err;
        EXPECT_EQ(result.err.find("Cannot reach", 1), std::string::npos) << "said once: " << result.err;
        EXPECT_EQ(result.err.find("Error! Please check your CPU, printer port and power supply."), std::string::npos)
            << "no chip was asked: " << result.err;
        EXPECT_EQ(result.err.find("lock bits"), std::string::npos) << result.err;
        const std::vector<std::string> lines = test::Lines(result.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Error! Please check your CPU, power supply and printer port.");
        for (const std::string& line : lines) {
            if (line != "Load Hex File Ok") {
                EXPECT_FALSE(line.ends_with(" Ok")) << line;
            }
        }
        EXPECT_LT(took, std::chrono::seconds(4)) << "the run slept";
    }
}

} // namespace
