// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One operation on a simulated chip that a chip file keeps. The chip file is
// the chip: for the operation's length its lock is held, the chip starts from
// what the file holds at that moment, and what the chip holds at the end is
// written back before the lock is released, also when the operation ends
// early by an exception. A chip file that another program is working on is
// not waited for, and one whose lock cannot be taken is not used: the
// operation does not start.
#include <string>

#include "framework/FileLock.h"
#include "sim/ChipFile.h"
#include "sim/TargetChip.h"

namespace sim {

class ChipOperation {
public:
    enum class Start {
        Ready,    // locked and loaded: run the operation
        InUse,    // another program holds the chip file
        Refused,  // the chip file cannot be locked or loaded
    };

    ChipOperation(const ChipFile& file, TargetChip& chip);
    // Finishes a started operation, dropping a save error nobody asked for.
    ~ChipOperation();
    ChipOperation(const ChipOperation&) = delete;
    ChipOperation& operator=(const ChipOperation&) = delete;

    Start Started() const { return start_; }
    // Why the operation did not start, as a clause for the user (lower case,
    // without a full stop).
    const std::string& Problem() const { return problem_; }

    // Writes the chip back if it changed. False, with error set, when the
    // write failed. The chip file's lock is released when the object ends.
    bool Finish(std::string* error);

private:
    const ChipFile& file_;
    TargetChip& chip_;
    fw::FileLock lock_;
    Start start_ = Start::Refused;
    std::string problem_;
    ChipContents loaded_;
    bool finished_ = false;
};

} // namespace sim
