// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The parallel ports the kernel knows, as listed under /proc/sys/dev/parport.
#include <cstdint>
#include <string>
#include <vector>

namespace hw {

struct ParportInfo {
    int number;         // N of /dev/parportN
    std::uint16_t base; // I/O address of the data register
    bool operator==(const ParportInfo&) const = default;
};

// Every root/parportN with a readable base-addr file (decimal numbers, the
// first being the base), sorted by N. A missing root gives an empty list.
std::vector<ParportInfo> ReadParportList(const std::string& root = "/proc/sys/dev/parport");

} // namespace hw
