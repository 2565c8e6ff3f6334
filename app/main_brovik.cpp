// brovik: the dialog program on the real printer port.
#include "app/Brovik.h"
#include "app/InfoOptions.h"
#include "framework/AppName.h"
#include "framework/DesktopHost.h"
#include "framework/IniFile.h"
#include "port/HardwarePort.h"

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = AnswerInfoOptions(argc, argv, false))
        return *answered;
    hw::HardwarePortBackend port;
    fw::DesktopHost host(port, fw::IniFile::DefaultPathFor(fw::ApplicationName()));
    fw::InstallHost(&host);
    const int code = fw::RunApplication(argc, argv, theApp);
    fw::InstallHost(nullptr);
    return code;
}
