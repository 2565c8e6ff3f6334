// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <optional>
#include <string>

#include "framework/Setup.h"
#include "framework/WinApp.h"

namespace fw {
class IHost;
}

// The application object: runs the main dialog and ends when it closes.
class CBrovikApp : public CWinApp {
public:
    BOOL InitInstance() override;

    // What the program's main hands to the main dialog (CBrovikDlg's members
    // of the same names).
    std::string m_caption;
    std::optional<std::string> m_fileToOpen;

    FW_DECLARE_MESSAGE_MAP();
};

extern CBrovikApp theApp;

// What every program, test and benchmark of brovik installs before it makes a
// dialog: host (with its port back end), the dialog resources and the help
// text, for the life of the returned object.
fw::Setup SetUpBrovik(fw::IHost& host);
