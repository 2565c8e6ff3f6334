// SPDX-License-Identifier: GPL-2.0-or-later
// The INI reader and writer on text, where every byte of the result can be
// compared.
#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "framework/IniFile.h"
#include "tests/support/ParamNames.h"

namespace {

using fw::IniFile;

struct ValueCase {
    const char* value;
    int expected;
};

void PrintTo(const ValueCase& c, std::ostream* out) { *out << '"' << c.value << '"'; }

class IniValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(IniValueTest, ReadsTheLeadingNumber)
{
    const std::string text = std::string("[S]\nK=") + GetParam().value + "\n";
    EXPECT_EQ(IniFile::ParseInt(text, "S", "K", -99), GetParam().expected) << "value \"" << GetParam().value << "\"";
}

INSTANTIATE_TEST_SUITE_P(Values, IniValueTest,
                         ::testing::Values(ValueCase{"42", 42}, ValueCase{"  \t42  ", 42}, ValueCase{"-7", -7},
                                           ValueCase{"+7", 7}, ValueCase{"12abc", 12}, ValueCase{"1 2", 1},
                                           ValueCase{"abc", 0}, ValueCase{"", 0}, ValueCase{"-", 0},
                                           ValueCase{"- 5", 0}, ValueCase{"0x10", 0},
                                           ValueCase{"2147483647", INT_MAX}, ValueCase{"2147483648", INT_MAX},
                                           ValueCase{"99999999999999999999", INT_MAX},
                                           ValueCase{"-2147483648", INT_MIN}, ValueCase{"-2147483649", INT_MIN},
                                           ValueCase{"-99999999999999999999", INT_MIN}),
                         [](const auto& info) { return test::TextCaseName(info.param.value); });

struct LookupCase {
    const char* section;
    const char* entry;
    int expected;
};

void PrintTo(const LookupCase& c, std::ostream* out) { *out << "[" << c.section << "] " << c.entry; }

class IniLookupTest : public ::testing::TestWithParam<LookupCase> {
protected:
    static constexpr const char* kText = "LOOSE=5\n"
                                         "; K=6\n"
                                         "[Port]\n"
                                         "  Lpt Port \t=\t 2  \n"
                                         "# Other=7\n"
                                         "Twice=1\n"
                                         "Twice=2\n"
                                         "[ Delays ]\r\n"
                                         "Write=30\r\n"
                                         "[port]\n"
                                         "Late=8\n"
                                         "Twice=3\n"
                                         "[Broken\n"
                                         "Tail=9";
};

TEST_P(IniLookupTest, FindsEntriesByName)
{
    EXPECT_EQ(IniFile::ParseInt(kText, GetParam().section, GetParam().entry, -1), GetParam().expected)
        << "[" << GetParam().section << "] " << GetParam().entry;
}

INSTANTIATE_TEST_SUITE_P(
    Names, IniLookupTest,
    ::testing::Values(LookupCase{"Port", "Lpt Port", 2}, LookupCase{"PORT", "LPT PORT", 2},
                      LookupCase{" port\t", "  lpt port ", 2}, LookupCase{"Port", "LptPort", -1},
                      LookupCase{"Port", "Twice", 1}, LookupCase{"port", "Late", 8},
                      LookupCase{"delays", "write", 30}, LookupCase{"Delays", "Lpt Port", -1},
                      LookupCase{"Nowhere", "Lpt Port", -1}, LookupCase{"", "LOOSE", -1},
                      LookupCase{"Port", "; K", -1}, LookupCase{"Port", "# Other", -1},
                      // A header without "]" is not one, so its lines stay in [port].
                      LookupCase{"Port", "Tail", 9}, LookupCase{"Broken", "Tail", -1}),
    [](const auto& info) {
        return test::TextCaseName(info.param.section) + "_In_" + test::TextCaseName(info.param.entry);
    });

struct WriteCase {
    const char* name;
    const char* before;
    const char* section;
    const char* entry;
    int value;
    const char* after;
};

void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.name; }

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, ChangesOnlyTheEntry)
{
    const WriteCase& c = GetParam();
    const auto written = IniFile::WithInt(c.before, c.section, c.entry, c.value);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(*written, c.after);
    EXPECT_EQ(IniFile::ParseInt(*written, c.section, c.entry, -1), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, IniWriteTest,
    ::testing::Values(
        WriteCase{"NewFile", "", "LPT", "LPT PORT", 1, "[LPT]\nLPT PORT=1\n"},
        WriteCase{"ReplacesInPlaceKeepingSpellingAndBlanks",
                  "; settings\n\n[Other]\nA=1\n[lpt]\n  Lpt Port =  3  \nLPT PORT=4\n\n# end\n", "LPT", "LPT PORT", -12,
                  "; settings\n\n[Other]\nA=1\n[lpt]\n  Lpt Port =  -12  \nLPT PORT=4\n\n# end\n"},
        WriteCase{"FillsAnEmptyValue", "[S]\nK=\nL=1\n", "S", "K", 5, "[S]\nK=5\nL=1\n"},
        WriteCase{"AppendsAfterTheSectionsLastEntry", "[LPT]\nA=1\n; note\nB=2\n\n; next comes Other\n[Other]\nC=3\n",
                  "LPT", "LPT PORT", 2, "[LPT]\nA=1\n; note\nB=2\nLPT PORT=2\n\n; next comes Other\n[Other]\nC=3\n"},
        WriteCase{"AppendsRightAfterAnEmptySectionsHeader", "[LPT]\n\n[Other]\nC=3\n", "lpt", "X", 7,
                  "[LPT]\nX=7\n\n[Other]\nC=3\n"},
        WriteCase{"AppendsToTheFirstBlockOfARepeatedSection", "[S]\nA=1\n[T]\nB=2\n[S]\nC=3\n", "S", "D", 4,
                  "[S]\nA=1\nD=4\n[T]\nB=2\n[S]\nC=3\n"},
        WriteCase{"AppendsANewSectionAtTheEnd", "[Other]\nC=3\n\n; end\n", "LPT", "LPT PORT", 1,
                  "[Other]\nC=3\n\n; end\n[LPT]\nLPT PORT=1\n"},
        WriteCase{"EndsAnUnterminatedLastLineFirst", "[Other]\nC=3", "LPT", "P", 1, "[Other]\nC=3\n[LPT]\nP=1\n"},
        WriteCase{"EndsAnUnterminatedLastEntryFirst", "[LPT]\nA=1", "LPT", "P", 1, "[LPT]\nA=1\nP=1\n"},
        WriteCase{"KeepsWindowsLineEnds", "[Other]\r\nC=3\r\n[LPT]\r\nA=1\r\n\r\n", "LPT", "B", 2,
                  "[Other]\r\nC=3\r\n[LPT]\r\nA=1\r\nB=2\r\n\r\n"},
        WriteCase{"ReplacesBeforeAWindowsLineEnd", "[LPT]\r\nA=1\r\n", "LPT", "A", 22, "[LPT]\r\nA=22\r\n"},
        WriteCase{"NewSectionWithWindowsLineEnds", "[Other]\r\nC=3\r\n", "LPT", "A", 1,
                  "[Other]\r\nC=3\r\n[LPT]\r\nA=1\r\n"},
        WriteCase{"CompletesALoneCarriageReturnAtTheEnd", "[LPT]\r\nA=1\r", "LPT", "B", 2,
                  "[LPT]\r\nA=1\r\nB=2\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniWriteRefusalTest, RefusesNamesThatWouldNotReadBack)
{
    const char* text = "[S]\nK=1\n";
    for (const auto& [section, entry] : {std::pair{"S", "K\nX"}, std::pair{"S", "K=X"}, std::pair{"S", "; K"},
                                         std::pair{"S", " #K"}, std::pair{"S", "[K]"}, std::pair{"S]", "K"},
                                         std::pair{"S\r", "K"}}) {
        EXPECT_FALSE(IniFile::WithInt(text, section, entry, 2).has_value()) << "[" << section << "] " << entry;
    }
}

} // namespace
