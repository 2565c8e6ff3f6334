// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Test names made from a case's text, for parameterised tests whose cases
// are texts: letters and digits stay, other characters are named, and a run
// of one character is counted ("7 8" gives 7_Blank_8, "   " gives 3Blanks).
#include <string>

namespace test {

std::string TextCaseName(const std::string& text);

} // namespace test
