// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Resource and control numbers.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr unsigned IDS_ABOUTBOX = 101;
inline constexpr int IDD_BROVIK_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDB_LOGO = 129;
inline constexpr int IDD_LPT = 131;

inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

inline constexpr int IDC_ERASE = 1000;
inline constexpr int IDC_BLANK = 1001;
inline constexpr int IDC_PROGRAM = 1002;
inline constexpr int IDC_VERIFY = 1003;
inline constexpr int IDC_AUTO = 1004;
inline constexpr int IDC_LOCK1 = 1005;
inline constexpr int IDC_LOCK2 = 1006;
inline constexpr int IDC_LOCK3 = 1007;
inline constexpr int IDC_LOCKBIT = 1008;
inline constexpr int IDC_LPT1 = 1009;
inline constexpr int IDC_LPT2 = 1010;
inline constexpr int IDC_LPT3 = 1011;
inline constexpr int IDC_OPENHEX = 1012;
inline constexpr int IDC_DELAY_BIT = 1013;
inline constexpr int IDC_DELAY_BYTE = 1014;
inline constexpr int IDC_PROGRESS = 1015;
