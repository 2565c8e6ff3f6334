// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// brovik-sim's chip: while an object of this class lives, every command of
// the dialog that works the chip is one ChipOperation on the chip file. A
// command that cannot start (the chip file in use by another program, or not
// a chip file) is not run, and a box says why; a failed write-back is
// reported in a box as well.
#include <functional>
#include <optional>

#include "framework/Types.h"
#include "sim/ChipOperation.h"

namespace sim {

class ChipFileCommands {
public:
    ChipFileCommands(const ChipFile& file, TargetChip& chip, std::function<bool(UINT id)> worksTheChip);
    ~ChipFileCommands();
    ChipFileCommands(const ChipFileCommands&) = delete;
    ChipFileCommands& operator=(const ChipFileCommands&) = delete;

private:
    bool Begin(UINT id);
    void End();

    const ChipFile& file_;
    TargetChip& chip_;
    std::function<bool(UINT id)> worksTheChip_;
    std::optional<ChipOperation> operation_;
};

} // namespace sim
