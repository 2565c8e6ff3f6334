// SPDX-License-Identifier: GPL-2.0-or-later
// The dialog programs' command line: --help and --version answer at once,
// one file is opened at start, and anything else is a usage error of one line
// that ends the program with status 2 before any window opens.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "res/Version.h"

namespace {

struct CommandLineCase {
    const char* name;
    std::vector<const char*> arguments;  // after the program's name
    std::optional<int> exitStatus;
    std::optional<std::string> file;
    std::string errors;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.name; }

class DialogCommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

const CommandLineCase kCases[] = {
    {"Nothing", {}, std::nullopt, std::nullopt, ""},
    {"OneFile", {"firmware.hex"}, std::nullopt, "firmware.hex", ""},
    {"FileNamedLikeAnOptionAfterDoubleDash", {"--", "--odd.hex"}, std::nullopt, "--odd.hex", ""},
    {"SingleDashIsAFileName", {"-"}, std::nullopt, "-", ""},
    {"UnknownLongOption", {"--bogus-option"}, 2, std::nullopt,
     "brovik-sim: unknown option --bogus-option; try 'brovik-sim --help'\n"},
    {"UnknownOptionBesideAFile", {"x.hex", "-platform"}, 2, std::nullopt,
     "brovik-sim: unknown option -platform; try 'brovik-sim --help'\n"},
    {"TwoFiles", {"a.hex", "b.hex"}, 2, std::nullopt, "brovik-sim: one file only, not also b.hex; try 'brovik-sim --help'\n"},
    {"HelpWinsOverAnUnknownOption", {"--bogus", "--help"}, 0, std::nullopt, ""},
    {"HelpAfterDoubleDashIsAFile", {"--", "--help"}, std::nullopt, "--help", ""},
};

TEST_P(DialogCommandLineTest, ParsesAsDocumented)
{
    const CommandLineCase& c = GetParam();
    std::vector<const char*> argv{"brovik-sim"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    std::ostringstream out;
    std::ostringstream errors;

    const DialogCommandLine parsed = ParseDialogCommandLine(static_cast<int>(argv.size()), argv.data(), true, out, errors);

    EXPECT_EQ(parsed.exitStatus, c.exitStatus);
    EXPECT_EQ(parsed.file, c.file);
    EXPECT_EQ(errors.str(), c.errors);
    EXPECT_EQ(out.str().empty(), c.exitStatus != 0);
}

INSTANTIATE_TEST_SUITE_P(Arguments, DialogCommandLineTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandLineCase>& info) { return std::string(info.param.name); });

TEST(DialogCommandLine, HelpAndVersionNameTheProgram)
{
    for (const bool simulated : {false, true}) {
        const std::string program = simulated ? "brovik-sim" : "brovik";
        const char* help[] = {"x", "-h"};
        const char* version[] = {"x", "--version"};
        std::ostringstream helpText, versionText, errors;
        EXPECT_EQ(ParseDialogCommandLine(2, help, simulated, helpText, errors).exitStatus, 0);
        EXPECT_EQ(ParseDialogCommandLine(2, version, simulated, versionText, errors).exitStatus, 0);
        EXPECT_EQ(helpText.str().rfind("Usage: " + program + " [--help] [--version] [FILE]\n", 0), 0u) << helpText.str();
        EXPECT_EQ(versionText.str(), program + " " + kBrovikVersion + "\n");
        EXPECT_EQ(errors.str(), "");
    }
}

} // namespace
