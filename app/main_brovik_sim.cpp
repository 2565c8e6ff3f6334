// brovik-sim: the dialog program on a simulated adapter and chip. The chip is
// read from its file at start and written back at the end of every operation
// that changed it, so that a program killed between operations loses nothing.
#include "app/Brovik.h"
#include "app/InfoOptions.h"
#include "framework/AppName.h"
#include "framework/DesktopHost.h"
#include "framework/IniFile.h"
#include "framework/Sleep.h"
#include "framework/Wnd.h"
#include "port/ParallelPort.h"
#include "sim/ChipKeeper.h"
#include "sim/SimulatedPort.h"

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = AnswerInfoOptions(argc, argv, true))
        return *answered;
    const sim::ChipFile chipFile(sim::DefaultChipPath());
    const sim::ChipFileLoad loaded = chipFile.Load();

    fw::MonotonicClock clock;
    sim::TargetChip chip(clock, loaded.contents.value_or(sim::ChipContents{}));
    sim::SimulatedPort port(chip);
    // The adapter answers on whichever port the user picks.
    port.AddBase(0x378);
    port.AddBase(0x278);
    port.AddBase(CParallelPort::Lpt3Address(hw::ReadParportList()));
    fw::DesktopHost host(port, fw::IniFile::DefaultPathFor(fw::ApplicationName()));
    fw::InstallHost(&host);

    sim::ChipKeeper keeper(chipFile, chip);
    const auto startup = [&] {
        if (!loaded.contents) {
            host.MessageBox(nullptr, loaded.error + "\n\nThe file is left as it is; move it away to start with a blank chip.",
                            fw::ApplicationName(), MB_OK | MB_ICONHAND);
            return false;
        }
        fw::SetCommandDoneHandler([&] {
            std::string error;
            if (!keeper.SaveIfChanged(&error))
                host.MessageBox(nullptr, "The simulated chip could not be saved: " + error, fw::ApplicationName(),
                                MB_OK | MB_ICONHAND);
        });
        return true;
    };
    const int code = fw::RunApplication(argc, argv, theApp, startup);
    fw::SetCommandDoneHandler({});
    fw::InstallHost(nullptr);
    return code;
}
