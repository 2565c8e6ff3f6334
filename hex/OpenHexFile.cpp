// SPDX-License-Identifier: GPL-2.0-or-later
// The "Open Hex File" command: reads the chosen file into the raw buffer and
// parses it into the code image. A file named at start or dropped on the
// dialog goes the same way from the point where the file has been chosen.
#include <cstring>
#include <utility>

#include "app/BrovikDlg.h"
#include "framework/File.h"
#include "framework/FileDialog.h"
#include "res/Texts.h"

void CBrovikDlg::OnOpenHexFile()
{
    CFileDialog dialog(TRUE, nullptr, nullptr, 0, "Hex File|*.hex||", this);
    if (dialog.DoModal() != IDOK)
        return;
    LoadHexFile(dialog.GetPathName());
}

LRESULT CBrovikDlg::OnOpenFileAtStart(WPARAM, LPARAM)
{
    if (m_fileToOpen)
        LoadHexFile(*std::exchange(m_fileToOpen, std::nullopt));
    return 0;
}

void CBrovikDlg::OnDropFiles(HDROP drop)
{
    if (DragQueryFileCount(drop) == 1)
        LoadHexFile(DragQueryFile(drop, 0));
}

void CBrovikDlg::LoadHexFile(const std::string& path)
{
    m_progress.SetPos(0);
    m_progress.SetRange(0, 1);
    m_progress.SetStep(1);

    // Open for the whole command, so that nobody else opens the file meanwhile.
    CFile file;
    try {
        file.Open(path, CFile::modeRead | CFile::shareExclusive);
        const std::uint64_t length = file.GetLength();
        if (length > kFileBufferSize) {
            MessageBox(texts::kHexFileTooLong);
            return;
        }
        m_pFileBuffer = m_fileBuffer;
        // A file that has shrunk since its length was taken counts only as far
        // as it could be read: the parser must not see the earlier bytes behind it.
        m_fileLength = file.Read(m_pFileBuffer, static_cast<UINT>(length));
    } catch (const CFileException& fault) {
        fault.ReportError();
        return;
    }

    std::memset(m_image, 0x00, sizeof m_image);
    m_lastAddress = 0;
    m_refusedAt.reset();
    const int parsed = ParseHexFile();
    if (m_lastAddress >= kImageSize || m_nonZeroBase) {
        MessageBox(texts::kHexBeyondFlash);
        m_lastAddress = 0;
        m_progress.SetShowText(TRUE);
        return;
    }
    if (!parsed) {
        m_lastAddress = 0;
        m_progress.SetShowText(TRUE);
        return;
    }
    m_progress.StepIt();
    m_progress.SetWindowText(texts::kLoadHexFileOk);
}
