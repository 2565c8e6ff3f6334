// brovik: the dialog program on the real printer port.
#include "app/Brovik.h"
#include "framework/AppName.h"
#include "framework/DesktopHost.h"
#include "framework/HardwarePort.h"
#include "framework/IniFile.h"

int main(int argc, char** argv)
{
    fw::HardwarePortBackend port;
    fw::DesktopHost host(port, fw::IniFile::DefaultPathFor(fw::ApplicationName()));
    const fw::Setup setup = SetUpBrovik(host);
    return fw::RunApplication(argc, argv, theApp);
}
