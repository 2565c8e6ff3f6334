// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// CWinApp: the one application object. RunApplication starts the toolkit and
// calls InitInstance; a FALSE result ends the program.
#include <functional>
#include <string>

#include "framework/MessageMap.h"
#include "framework/Object.h"

class CWnd;

class CWinApp : public CObject {
public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // Dispatches a command that no window handled through the command map.
    BOOL OnCommand(UINT id);
    // The framework's Help command: shows the help that the host offers.
    void OnHelp();
    void Enable3dControls();

    static const fw::MessageMap* ThisMessageMap();
    virtual const fw::MessageMap* GetMessageMap() const;

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();

namespace fw {

// Starts the toolkit, runs startup (a false result ends the program with exit
// code 1) and then app's InitInstance. Returns the exit code.
int RunApplication(int argc, char** argv, CWinApp& app, const std::function<bool()>& startup = {});

// The text that the Help command shows (fw::Setup sets it); returns the
// text it replaces.
std::string SetHelpText(std::string text);

} // namespace fw
