// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// CFileDialog: the host's file-open dialog, built like the classic dialog
// class. The host's dialog is always an open dialog that takes a typed name
// as it stands, whether or not that file exists; so the first four arguments
// are there for the classic call's shape only and must be TRUE, null, null
// and 0 (no default extension, no initial name, no option flags).
#include <string>

#include "framework/Types.h"

class CWnd;

class CFileDialog {
public:
    // filter: "Name|pattern|Name|pattern||".
    CFileDialog(BOOL openFileDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                const char* filter, CWnd* parentWnd = nullptr);

    // IDOK with the chosen path, or IDCANCEL.
    INT_PTR DoModal();
    // The full path chosen, as the dialog gave it.
    std::string GetPathName() const { return m_pathName; }

private:
    std::string m_filter;
    CWnd* m_parentWnd;
    std::string m_pathName;
};
