#pragma once
// Keeps the chip file in step with a simulated chip: written when the chip
// has changed since the last write.
#include <string>

#include "sim/ChipFile.h"
#include "sim/TargetChip.h"

namespace sim {

class ChipKeeper {
public:
    ChipKeeper(const ChipFile& file, const TargetChip& chip) : file_(file), chip_(chip), saved_(chip.Contents()) {}

    // False, with error set, when the write failed. The change then counts as
    // handled all the same, so that one failure is reported once.
    bool SaveIfChanged(std::string* error);

private:
    const ChipFile& file_;
    const TargetChip& chip_;
    ChipContents saved_;
};

} // namespace sim
