// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ChipFileCommands.h"

#include "framework/AppName.h"
#include "framework/Host.h"
#include "framework/Wnd.h"

namespace sim {
namespace {

void ShowError(const std::string& text)
{
    fw::CurrentHost().MessageBox(nullptr, text, fw::ApplicationName(), MB_OK | MB_ICONHAND);
}

} // namespace

ChipFileCommands::ChipFileCommands(const ChipFile& file, TargetChip& chip, std::function<bool(UINT id)> worksTheChip)
    : file_(file), chip_(chip), worksTheChip_(std::move(worksTheChip))
{
    fw::SetCommandHooks({[this](UINT id) { return Begin(id); }, [this] { End(); }});
}

ChipFileCommands::~ChipFileCommands() { fw::SetCommandHooks({}); }

bool ChipFileCommands::Begin(UINT id)
{
    if (!worksTheChip_(id))
        return true;
    operation_.emplace(file_, chip_);
    if (operation_->Started() == ChipOperation::Start::Ready)
        return true;
    const std::string problem = operation_->Problem();
    operation_.reset();
    ShowError("The operation was not run: " + problem + ".");
    return false;
}

void ChipFileCommands::End()
{
    if (!operation_)
        return;
    std::string error;
    const bool saved = operation_->Finish(&error);
    // The lock goes before the box, which waits for the user.
    operation_.reset();
    if (!saved)
        ShowError("The simulated chip could not be saved: " + error);
}

} // namespace sim
