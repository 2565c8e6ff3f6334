// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/FileDialog.h"

#include "framework/Host.h"

CFileDialog::CFileDialog(BOOL, const char*, const char*, DWORD, const char* filter, CWnd* parentWnd)
    : m_filter(filter ? filter : ""), m_parentWnd(parentWnd)
{
}

INT_PTR CFileDialog::DoModal()
{
    std::string path;
    if (!fw::CurrentHost().GetOpenFileName(m_parentWnd, m_filter, path))
        return IDCANCEL;
    m_pathName = path;
    return IDOK;
}
