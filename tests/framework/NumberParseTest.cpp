// SPDX-License-Identifier: GPL-2.0-or-later
// The unsigned-number rules of the delay fields, and the range check.
#include <gtest/gtest.h>

#include <string>

#include "framework/DataExchange.h"
#include "tests/support/ParamNames.h"

namespace {

struct ParseCase {
    std::string text;
    bool parses;
    std::uint32_t value;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class NumberParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(NumberParse, FollowsTheEditFieldRules)
{
    const ParseCase& c = GetParam();
    std::uint32_t value = 12345;
    EXPECT_EQ(fw::ParseUnsignedNumber(c.text, value), c.parses) << '"' << c.text << '"';
    EXPECT_EQ(value, c.parses ? c.value : 12345u) << "a failed parse keeps the old value";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberParse,
    ::testing::Values(ParseCase{"7", true, 7}, ParseCase{" 7 ", true, 7}, ParseCase{"\t7\t", true, 7},
                      ParseCase{"+7", true, 7}, ParseCase{"007", true, 7}, ParseCase{"0", true, 0},
                      ParseCase{"11", true, 11}, ParseCase{"7x", false, 0}, ParseCase{"-1", false, 0},
                      ParseCase{"-0", false, 0}, ParseCase{"+0", false, 0}, ParseCase{"", false, 0},
                      ParseCase{"   ", false, 0}, ParseCase{"abc", false, 0}, ParseCase{"+", false, 0},
                      ParseCase{"7 8", false, 0}, ParseCase{"4294967295", true, 4294967295u},
                      ParseCase{"4294967296", true, 4294967295u},
                      ParseCase{"99999999999999999999", true, 4294967295u},
                      // Only the first 31 characters count: the x is never seen.
                      ParseCase{"7" + std::string(30, ' ') + "x", true, 7},
                      ParseCase{std::string(31, ' ') + "7", false, 0}),
    [](const auto& info) { return test::TextCaseName(info.param.text); });

} // namespace
