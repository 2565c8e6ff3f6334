// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Window, dialog and control style bits, with their usual Win32 values.
#include "framework/Types.h"

inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_POPUP = 0x80000000;

inline constexpr DWORD DS_3DLOOK = 0x0004;
inline constexpr DWORD DS_MODALFRAME = 0x0080;
inline constexpr DWORD DS_CENTER = 0x0800;

// Extended style: shown in the task bar.
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

inline constexpr DWORD BS_PUSHBUTTON = 0x0;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
inline constexpr DWORD BS_GROUPBOX = 0x7;
inline constexpr DWORD BS_AUTORADIOBUTTON = 0x9;

inline constexpr DWORD ES_AUTOHSCROLL = 0x0080;

inline constexpr DWORD SS_LEFT = 0x0000;
inline constexpr DWORD SS_BITMAP = 0x000E;
inline constexpr DWORD SS_SUNKEN = 0x1000;

inline constexpr DWORD PBS_VERTICAL = 0x04;
