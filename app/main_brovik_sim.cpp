// SPDX-License-Identifier: GPL-2.0-or-later
// brovik-sim: the dialog program on a simulated adapter and chip. The chip
// file is the chip: each operation locks it, starts from what it holds and
// writes its changes back before the next, so that what brovik-cli did
// meanwhile is seen and a program killed between operations loses nothing.
#include <iostream>

#include "app/Brovik.h"
#include "app/ChipCommands.h"
#include "app/CommandLine.h"
#include "framework/AppName.h"
#include "framework/DesktopHost.h"
#include "framework/IniFile.h"
#include "framework/Sleep.h"
#include "framework/StandardDescriptors.h"
#include "port/ParallelPort.h"
#include "res/Texts.h"
#include "sim/ChipFileCommands.h"
#include "sim/SimulatedRig.h"

int main(int argc, char** argv)
{
    if (!fw::OpenNullOnClosedStandardDescriptors())
        return 1;
    const DialogCommandLine commandLine = ParseDialogCommandLine(argc, argv, true, std::cout, std::cerr);
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;
    theApp.m_fileToOpen = commandLine.file;
    theApp.m_caption = texts::kSimulatedChipCaption;
    const sim::ChipFile chipFile(sim::DefaultChipPath(), fw::MissingFolders::Create);
    fw::MonotonicClock clock;
    // The adapter answers on whichever port the user picks.
    sim::SimulatedRig rig(clock, CParallelPort::LptAddresses(hw::ReadParportList()));
    fw::DesktopHost host(rig.port, fw::IniFile::DefaultPathFor(fw::ApplicationName()));
    const fw::Setup setup = SetUpBrovik(host);

    const sim::ChipFileCommands chipCommands(chipFile, rig.chip, WorksTheChip);
    // The toolkit gets no arguments: the command line is the program's alone.
    return fw::RunApplication(1, argv, theApp, [&] {
        const sim::ChipFileLoad loaded = chipFile.Load();
        if (!loaded.contents) {
            host.MessageBox(nullptr, loaded.error + "\n\nThe file is left as it is; move it away to start with a blank chip.",
                            fw::ApplicationName(), MB_OK | MB_ICONHAND);
        }
        return loaded.contents.has_value();
    });
}
