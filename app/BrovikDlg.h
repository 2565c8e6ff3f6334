// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main dialog. It owns all state of the program; its methods are spread
// over app/ (members, command map, start-up, settings), port/ (the serial
// link), device/ (flash and lock-bit operations) and hex/ (the HEX loader).
#include <cstdint>
#include <optional>
#include <string>

#include "app/LptDlg.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "port/ParallelPort.h"
#include "res/resource.h"
#include "ui/TextProgressCtrl.h"

class CBrovikDlg : public CDialog {
public:
    enum { IDD = IDD_BROVIK_DIALOG };
    // Posted by OnInitDialog, so that the file named at start is opened once
    // the window is on the screen, after the first-run notice.
    static constexpr UINT WM_OPENFILEATSTART = WM_APP;
    static constexpr std::uint32_t kFileBufferSize = 24576;
    static constexpr std::uint32_t kImageSize = 8192;

    explicit CBrovikDlg(CWnd* pParent = nullptr);
    ~CBrovikDlg() override;

    CTextProgressCtrl m_progress;
    CButton m_lpt1;
    CButton m_lpt2;
    CButton m_lpt3;
    CParallelPort m_port;
    CLptDlg m_lptDlg;
    std::uint32_t m_delayBit;
    std::uint32_t m_delayByte;
    std::uint8_t m_fileBuffer[kFileBufferSize];
    std::uint8_t m_image[kImageSize];
    std::uint8_t* m_pFileBuffer;
    std::uint32_t m_fileLength;
    std::uint32_t m_lastAddress;
    HICON m_hIcon;

    // From the program's start: the window's caption in place of the
    // template's (when not empty), and a HEX file to open once the dialog
    // is up, as "Open Hex File" opens the file chosen.
    std::string m_caption;
    std::optional<std::string> m_fileToOpen;

    // What the operations leave behind for brovik-cli to report; the dialog
    // shows nothing of it.
    struct FlashMismatch {
        std::uint32_t address;
        std::uint8_t expected;
        std::uint8_t read;
    };
    // The first byte that the last Blank Check or Verify found different.
    std::optional<FlashMismatch> m_mismatch;
    // Where the last refused HEX load was refused, as an offset into
    // m_fileBuffer: the character the parser stopped on, or the start of the
    // record that reached beyond the flash.
    std::optional<std::uint32_t> m_refusedAt;
    // Whether the last HEX parse met an extended address record (type 02 or
    // 04) whose base is not zero: the file then holds data beyond the flash.
    bool m_nonZeroBase = false;

    // Settings and port selection.
    void LoadPortSelection();
    void LoadDelays();
    void OnLpt1();
    void OnLpt2();
    void OnLpt3();
    void OnChangeDelayBit();
    void OnChangeDelayByte();

    // The serial link.
    void BitDelay();
    void ClockPulse();
    void SetSckHigh();
    void SetSckLow();
    void SetResetLineHigh();
    void ClearSckAndResetLine();
    void SetMosiHigh();
    void SendCommand(const std::uint8_t command[3], std::uint8_t reply[3]);
    // False when the port could not be reached: its first access has told
    // the user why, and nothing more is sent or slept.
    bool EnterProgramming();
    void ReleaseTarget();
    void ProgrammingEnable();
    // 0 also when the port could not be reached; the chip was then not asked
    // and its box is not shown.
    int CheckTarget();

    // Flash operations.
    void OnErase();
    int OnBlank();
    void OnProgram();
    int ProgramLoop();
    int OnVerify();
    void OnAuto();
    // Reads all of the flash into flash, after the presence check; 1 when
    // every byte was read, 0 when the chip did not answer.
    int ReadFlash(std::uint8_t flash[kImageSize]);

    // Lock bits.
    void OnLockBit();
    void ProgramLockBit1();
    void ProgramLockBit2();
    void ProgramLockBit3();

    // HEX loading.
    void OnOpenHexFile();
    // What "Open Hex File" does once path has been chosen; the file named at
    // start and a file dropped on the dialog are loaded the same way.
    void LoadHexFile(const std::string& path);
    LRESULT OnOpenFileAtStart(WPARAM, LPARAM);
    void OnDropFiles(HDROP drop);
    int ParseHexFile();
    int StoreRecord(std::uint32_t address, const std::uint8_t* data, std::uint8_t count);
    std::uint8_t HexDigit(char character);

    // Window messages.
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();

    FW_DECLARE_MESSAGE_MAP();

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    // Sleeps factor x base milliseconds, with the factor capped at 1000 so
    // that a mistyped delay cannot stall an operation for days.
    void SleepScaled(std::uint32_t baseMilliseconds);
    // Ends the operation, by throwing OperationStopped, when the host asks it
    // to stop; only brovik-cli's host does. Called where an operation may stop:
    // between ISP commands, never inside the presence check's write and
    // restore of address 0.
    void StopIfRequested(const char* operation, std::optional<std::uint32_t> address = std::nullopt);
    // The start of Blank Check and of the read of the whole flash: the presence
    // check (a failure ends on its status text), then startText, the bar over
    // all addresses, and programming mode with programming enable. False when
    // the chip did not answer.
    bool StartWholeFlashPass(const char* startText);
    // EnterProgramming for an operation: false, with the status line showing
    // the fault, when the port could not be reached.
    bool EnterProgrammingOrShowFault();
    // False, after telling the user to open a file, while no image is loaded.
    bool HexFileLoaded();
    // The lock routines differ only in the command and their two texts.
    void ProgramLockLevel(int level);
};
