// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Win32-style scalar types and constants that the product is written against.
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using COLORREF = std::uint32_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(lo) | (static_cast<WPARAM>(hi) << 16); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return static_cast<LPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16)); }
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return r | (g << 8) | (static_cast<COLORREF>(b) << 16); }
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
inline constexpr COLORREF CLR_DEFAULT = 0xFF000000;

// Dialog results and command ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Message box styles.
inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_ICONHAND = 0x0010;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONINFORMATION = 0x0040;
inline constexpr UINT MB_ICONMASK = 0x00F0;
