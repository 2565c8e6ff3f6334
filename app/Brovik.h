#pragma once
#include "framework/WinApp.h"

// The application object: runs the main dialog and ends when it closes.
class CBrovikApp : public CWinApp {
public:
    CBrovikApp();
    ~CBrovikApp() override;

    BOOL InitInstance() override;

    FW_DECLARE_MESSAGE_MAP();
};

extern CBrovikApp theApp;
