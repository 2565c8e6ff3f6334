// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The bit and byte delay factors: what a stored setting gives, and the most
// that the link uses.
#include <cstdint>

// Factors above this are used as this much: a mistyped delay must not make
// an operation run for days.
inline constexpr std::uint32_t kDelayFactorCap = 1000;

// The factor that a stored "DELAY BIT" or "DELAY BYTE" gives: 0 (and so a
// missing entry) gives 1, a value above the cap gives the cap, and so does a
// negative one (a factor above 2147483647 is stored as one, since the file
// holds signed numbers): never a delay of days.
constexpr std::uint32_t DelayFactorFromSetting(int stored)
{
    if (stored == 0)
        return 1;
    if (stored < 0 || static_cast<std::uint32_t>(stored) > kDelayFactorCap)
        return kDelayFactorCap;
    return static_cast<std::uint32_t>(stored);
}
