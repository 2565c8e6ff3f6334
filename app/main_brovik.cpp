// brovik: the dialog program on the real printer port.
#include "app/Brovik.h"
#include "app/InfoOptions.h"
#include "framework/AppName.h"
#include "framework/DesktopHost.h"
#include "framework/IniFile.h"
#include "framework/StandardDescriptors.h"
#include "port/HardwarePort.h"

int main(int argc, char** argv)
{
    if (!fw::OpenNullOnClosedStandardDescriptors())
        return 1;
    if (const std::optional<int> answered = AnswerInfoOptions(argc, argv, false))
        return *answered;
    hw::HardwarePortBackend port;
    fw::DesktopHost host(port, fw::IniFile::DefaultPathFor(fw::ApplicationName()));
    const fw::Setup setup = SetUpBrovik(host);
    return fw::RunApplication(argc, argv, theApp);
}
