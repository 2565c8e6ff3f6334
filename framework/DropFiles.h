// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Files dropped on a window that accepts them (CWnd::DragAcceptFiles): the
// window gets WM_DROPFILES with the drop's handle as wParam, posted once the
// drop itself has ended, so that the program the files came from is not
// kept waiting while the window handles them. The handle is valid while
// that message is handled.
#include <string>

#include "framework/Types.h"

struct FwDrop;
using HDROP = FwDrop*;

// How many files the drop holds.
UINT DragQueryFileCount(HDROP drop);
// The path of the file at index, or an empty text past the last one.
std::string DragQueryFile(HDROP drop, UINT index);
