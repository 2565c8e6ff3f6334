// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/ParamNames.h"

namespace test {
namespace {

std::string CharacterName(char c)
{
    switch (c) {
    case ' ':
        return "Blank";
    case '\t':
        return "Tab";
    case '+':
        return "Plus";
    case '-':
        return "Minus";
    case ';':
        return "Semicolon";
    case '#':
        return "Hash";
    default:
        return "Char" + std::to_string(static_cast<unsigned char>(c));
    }
}

bool Kept(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

} // namespace

std::string TextCaseName(const std::string& text)
{
    if (text.empty())
        return "Empty";
    std::string name;
    for (std::size_t i = 0; i < text.size();) {
        if (Kept(text[i])) {
            name += text[i++];
            continue;
        }
        std::size_t run = 1;
        while (i + run < text.size() && text[i + run] == text[i])
            ++run;
        if (!name.empty())
            name += '_';
        name += run == 1 ? CharacterName(text[i]) : std::to_string(run) + CharacterName(text[i]) + "s";
        i += run;
        if (i < text.size())
            name += '_';
    }
    return name;
}

} // namespace test
