// SPDX-License-Identifier: GPL-2.0-or-later
// The main dialog: members, command map, start-up and the system menu.
#include "app/BrovikDlg.h"

#include <cstring>

#include "app/AboutDlg.h"
#include "framework/Dc.h"
#include "framework/Icon.h"
#include "framework/Menu.h"
#include "framework/Resources.h"
#include "framework/WinApp.h"

CBrovikDlg::CBrovikDlg(CWnd* pParent)
    : CDialog(IDD, pParent),
      m_delayBit(0),
      m_delayByte(0),
      m_fileBuffer{},
      m_pFileBuffer(m_fileBuffer),
      m_fileLength(0),
      m_lastAddress(0)
{
    std::memset(m_image, 0x00, sizeof m_image);
    m_hIcon = fw::LoadIconResource(IDR_MAINFRAME);
}

CBrovikDlg::~CBrovikDlg() { DestroyWindow(); }

FW_MESSAGE_MAP(CBrovikDlg, CDialog,
               fw::OnSysCommandMessage<&CBrovikDlg::OnSysCommand>(),
               fw::OnPaintMessage<&CBrovikDlg::OnPaint>(),
               fw::OnQueryDragIconMessage<&CBrovikDlg::OnQueryDragIcon>(),
               fw::OnMessage<&CBrovikDlg::OnOpenFileAtStart>(WM_OPENFILEATSTART),
               fw::OnDropFilesMessage<&CBrovikDlg::OnDropFiles>(),
               fw::OnClicked<&CBrovikDlg::OnErase>(IDC_ERASE),
               fw::OnClicked<&CBrovikDlg::OnBlank>(IDC_BLANK),
               fw::OnClicked<&CBrovikDlg::OnProgram>(IDC_PROGRAM),
               fw::OnClicked<&CBrovikDlg::OnVerify>(IDC_VERIFY),
               fw::OnClicked<&CBrovikDlg::OnAuto>(IDC_AUTO),
               fw::OnClicked<&CBrovikDlg::OnLockBit>(IDC_LOCKBIT),
               fw::OnClicked<&CBrovikDlg::OnOpenHexFile>(IDC_OPENHEX),
               fw::OnClicked<&CBrovikDlg::OnLpt1>(IDC_LPT1),
               fw::OnClicked<&CBrovikDlg::OnLpt2>(IDC_LPT2),
               fw::OnClicked<&CBrovikDlg::OnLpt3>(IDC_LPT3),
               fw::OnEnChange<&CBrovikDlg::OnChangeDelayBit>(IDC_DELAY_BIT),
               fw::OnEnChange<&CBrovikDlg::OnChangeDelayByte>(IDC_DELAY_BYTE))

BOOL CBrovikDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (CMenu* systemMenu = GetSystemMenu(FALSE)) {
        const std::string aboutMenu = fw::InstalledResources()->String(IDS_ABOUTBOX);
        if (!aboutMenu.empty()) {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutMenu);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    LoadPortSelection();
    LoadDelays();
    m_lastAddress = 0;
    m_progress.SetShowText(TRUE);

    if (!m_caption.empty())
        SetWindowText(m_caption);
    DragAcceptFiles();
    if (m_fileToOpen)
        PostMessage(WM_OPENFILEATSTART);
    return TRUE;
}

void CBrovikDlg::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    Default();
}

HICON CBrovikDlg::OnQueryDragIcon() { return m_hIcon; }

void CBrovikDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - fw::kIconWidth + 1) / 2;
    const int y = (rect.Height() - fw::kIconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}
