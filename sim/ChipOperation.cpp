// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ChipOperation.h"

namespace sim {

ChipOperation::ChipOperation(const ChipFile& file, TargetChip& chip)
    : file_(file), chip_(chip), lock_(file.Path(), fw::FileLock::Wait::No, file.Folders())
{
    // Nothing runs unlocked: another run could not see this one.
    if (lock_.GetState() == fw::FileLock::State::Unavailable) {
        problem_ = "the simulated chip " + file.Path() + " cannot be locked, so it is not used: " + lock_.Error();
        finished_ = true;
        return;
    }
    if (lock_.GetState() == fw::FileLock::State::InUse) {
        start_ = Start::InUse;
        problem_ = "the simulated chip " + file.Path() + " is in use by another program; try again when it has finished";
        finished_ = true;
        return;
    }
    const ChipFileLoad loaded = file.Load();
    if (!loaded.contents) {
        problem_ = loaded.error;
        finished_ = true;
        return;
    }
    loaded_ = *loaded.contents;
    chip.LoadContents(loaded_);
    start_ = Start::Ready;
}

ChipOperation::~ChipOperation() { Finish(nullptr); }

bool ChipOperation::Finish(std::string* error)
{
    if (finished_)
        return true;
    finished_ = true;
    return chip_.Contents() == loaded_ || file_.Save(chip_.Contents(), error);
}

} // namespace sim
