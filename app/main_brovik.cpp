// SPDX-License-Identifier: GPL-2.0-or-later
// brovik: the dialog program on the real printer port.
#include <iostream>

#include "app/Brovik.h"
#include "app/CommandLine.h"
#include "framework/AppName.h"
#include "framework/DesktopHost.h"
#include "framework/IniFile.h"
#include "framework/StandardDescriptors.h"
#include "port/HardwarePort.h"

int main(int argc, char** argv)
{
    if (!fw::OpenNullOnClosedStandardDescriptors())
        return 1;
    const DialogCommandLine commandLine = ParseDialogCommandLine(argc, argv, false, std::cout, std::cerr);
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;
    theApp.m_fileToOpen = commandLine.file;
    hw::HardwarePortBackend port;
    fw::DesktopHost host(port, fw::IniFile::DefaultPathFor(fw::ApplicationName()));
    const fw::Setup setup = SetUpBrovik(host);
    // The toolkit gets no arguments: the command line is the program's alone.
    return fw::RunApplication(1, argv, theApp);
}
