// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The lines a guest writes to a file while the port model runs (QEMU's debug
// console, written by the guest before and after each run): read as they
// grow, so that the journal can place them among the register accesses.
#include <string>
#include <vector>

namespace ppdev {

class GuestMarks {
public:
    explicit GuestMarks(std::string path) : path_(std::move(path)) {}

    // The whole lines added since the last call; a line still being written
    // waits for its newline. None while the file does not exist.
    std::vector<std::string> NewLines();

private:
    std::string path_;
    long long readUpTo_ = 0;
    std::string partial_;
};

} // namespace ppdev
