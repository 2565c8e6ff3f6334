// SPDX-License-Identifier: GPL-2.0-or-later
// The manual page of brovik-cli names every option and command that --help
// names, so that the two do not drift apart.
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/HelpText.h"

namespace {

// The page as a reader sees its words: troff's "\-" is a "-", and font
// changes (\fB, \fR, ...) are dropped.
std::string ManualPageText()
{
    std::ifstream in(BROVIK_SOURCE_DIR "/dist/man/brovik-cli.1.in");
    std::ostringstream text;
    text << in.rdbuf();
    std::string page = std::regex_replace(text.str(), std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(page, std::regex(R"(\\-)"), "-");
}

TEST(ManualPageTest, NamesEveryOptionAndCommandOfTheHelpText)
{
    const std::string page = ManualPageText();
    ASSERT_FALSE(page.empty());
    const std::string help = cli::HelpText("settings.INI", "chip.bin");

    std::set<std::string> options;
    const std::regex option(R"((^|[\s,|])(--?[a-z][a-z-]*))");
    for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it)
        options.insert((*it)[2]);
    for (const char* expected : {"--port", "--chip", "--fast", "--bit-delay", "--byte-delay", "--verbose", "-q", "--quiet",
                                 "--version", "-h", "--help"})
        EXPECT_TRUE(options.count(expected)) << expected << " is not in the help text";
    for (const std::string& name : options)
        EXPECT_NE(page.find(name), std::string::npos) << name << " is in --help but not in the manual page";

    // The commands: the lines of the help's command list that start with a
    // name, its argument, and the gap before the description.
    const std::string list = help.substr(help.find("Commands:"), help.find("Options:") - help.find("Commands:"));
    const std::regex command(R"(\n  ([a-z]+)( [A-Z0-9|]+)?   +)");
    int commands = 0;
    for (std::sregex_iterator it(list.begin(), list.end(), command), end; it != end; ++it, ++commands)
        EXPECT_NE(page.find(".B " + (*it)[1].str()), std::string::npos) << (*it)[1] << " has no entry in the manual page";
    EXPECT_EQ(commands, 7);
    for (const char* section : {".SH OPTIONS", ".SH COMMANDS", ".SH EXIT STATUS", ".SH FILES", ".SH EXAMPLES", "@BROVIK_MAN_WIRING@"})
        EXPECT_NE(page.find(section), std::string::npos) << section;
}

} // namespace
