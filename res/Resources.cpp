// SPDX-License-Identifier: GPL-2.0-or-later
#include "res/Resources.h"

#include "framework/Styles.h"
#include "res/Pictures.h"
#include "res/resource.h"

namespace {

constexpr DWORD kTab = WS_TABSTOP;

const ControlTemplate kMainControls[] = {
    {-1, ControlKind::GroupBox, "Flash Memory", 7, 7, 68, 133, 0},
    {IDC_ERASE, ControlKind::PushButton, "Erase", 20, 20, 40, 16, kTab},
    {IDC_BLANK, ControlKind::PushButton, "Blank", 20, 40, 40, 16, kTab},
    {IDC_PROGRAM, ControlKind::PushButton, "Program", 20, 60, 40, 16, kTab},
    {IDC_VERIFY, ControlKind::PushButton, "Verify", 20, 80, 40, 16, kTab},
    {IDC_AUTO, ControlKind::PushButton, "Auto", 20, 115, 40, 16, kTab},
    {-1, ControlKind::GroupBox, "Static", 85, 5, 65, 75, 0},
    {-1, ControlKind::GroupBox, "Static", 160, 5, 45, 55, 0},
    {IDC_LOCK1, ControlKind::AutoRadioButton, "Lock 1 Bit", 95, 20, 44, 8, WS_GROUP},
    {IDC_LOCK2, ControlKind::AutoRadioButton, "Lock 2 Bit", 95, 31, 44, 10, 0},
    {IDC_LOCK3, ControlKind::AutoRadioButton, "Lock 3 Bit", 95, 42, 44, 10, 0},
    {IDC_LOCKBIT, ControlKind::PushButton, "Lock Bit", 95, 60, 45, 15, kTab},
    {IDC_LPT1, ControlKind::AutoRadioButton, "Lpt1", 170, 20, 30, 10, WS_GROUP},
    {IDC_LPT2, ControlKind::AutoRadioButton, "Lpt2", 170, 31, 30, 10, 0},
    {IDC_LPT3, ControlKind::AutoRadioButton, "Lpt3", 170, 42, 30, 10, 0},
    {-1, ControlKind::Picture, nullptr, 100, 85, 37, 23, SS_BITMAP, IDB_LOGO},
    {IDC_OPENHEX, ControlKind::PushButton, "Open Hex File", 90, 115, 55, 15, kTab},
    {-1, ControlKind::GroupBox, "Delay", 160, 65, 45, 75, 0},
    {-1, ControlKind::Static, "Bit", 165, 75, 20, 8, SS_LEFT | WS_GROUP},
    {IDC_DELAY_BIT, ControlKind::Edit, "", 165, 85, 30, 15, ES_AUTOHSCROLL | WS_BORDER | kTab},
    {-1, ControlKind::Static, "Byte", 165, 105, 20, 8, SS_LEFT},
    {IDC_DELAY_BYTE, ControlKind::Edit, "", 165, 115, 30, 15, ES_AUTOHSCROLL | WS_BORDER | kTab},
    {IDC_PROGRESS, ControlKind::ProgressBar, "Progress1", 7, 150, 198, 16, WS_BORDER},
};

const ControlTemplate kAboutControls[] = {
    {-1, ControlKind::Picture, nullptr, 5, 11, 41, 26, SS_BITMAP, IDB_LOGO},
    {-1, ControlKind::Static, "brovik Version 5.0", 52, 10, 119, 8, SS_LEFT},
    {IDOK, ControlKind::PushButton, "OK", 178, 7, 50, 14, BS_DEFPUSHBUTTON | kTab | WS_GROUP},
    {-1, ControlKind::Static, "For Wondows 95/98/ME.", 52, 19, 119, 8, SS_LEFT},
    {-1, ControlKind::Static, "For Window NT/2000/XP , please access printer port", 51, 29, 170, 8, SS_LEFT},
    {-1, ControlKind::Static, "before use this program.", 51, 39, 170, 8, SS_LEFT},
};

const ControlTemplate kLptControls[] = {
    {IDOK, ControlKind::PushButton, "OK", 161, 62, 50, 14, BS_DEFPUSHBUTTON | kTab},
    {-1, ControlKind::Static, "In the first time on BROVIK, you must select LPT  PORT", 5, 6, 178, 8, SS_LEFT},
    {-1, ControlKind::Static, "LPT1 , LPT2 or LPT3", 5, 16, 68, 8, SS_LEFT},
    {-1, ControlKind::Static, "After you selected LPT PORT, pc will be recognition LPT PORT", 6, 24, 202, 8, SS_LEFT},
    {-1, ControlKind::Static, "Until, you change or reinstall OS", 5, 33, 102, 8, SS_LEFT},
    {-1, ControlKind::Picture, nullptr, 5, 49, 41, 26, SS_BITMAP | SS_SUNKEN, IDB_LOGO},
};

const DialogTemplate kMainDialog{IDD_BROVIK_DIALOG, "brovik", "MS Sans Serif", 8, 212, 173,
                                 WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER | DS_3DLOOK,
                                 WS_EX_APPWINDOW, kMainControls};
const DialogTemplate kAboutDialog{IDD_ABOUTBOX, "About brovik", "MS Sans Serif", 8, 235, 89,
                                  WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, kAboutControls};
const DialogTemplate kLptDialog{IDD_LPT, "First  Run BROVIK", "MS Sans Serif", 8, 216, 82,
                                WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, kLptControls};

class Table final : public ResourceTable {
public:
    const DialogTemplate* Dialog(int id) const override
    {
        switch (id) {
        case IDD_BROVIK_DIALOG:
            return &kMainDialog;
        case IDD_ABOUTBOX:
            return &kAboutDialog;
        case IDD_LPT:
            return &kLptDialog;
        default:
            return nullptr;
        }
    }
    std::string String(UINT id) const override { return id == IDS_ABOUTBOX ? "&About brovik..." : ""; }
    const ImageResource* Image(int id) const override
    {
        switch (id) {
        case IDR_MAINFRAME:
            return &ProgramIcon();
        case IDB_LOGO:
            return &LogoBitmap();
        default:
            return nullptr;
        }
    }
};

} // namespace

const ResourceTable& BrovikResources()
{
    static const Table table;
    return table;
}
