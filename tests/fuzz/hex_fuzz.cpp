// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer target for the HEX loader of the main dialog.
//
// Each input is parsed twice. First ParseHexFile alone, from a heap copy of
// exactly the input's size, so that AddressSanitizer reports any read past
// the bytes read. Then the whole "Open Hex File" command on the input as a
// file (a memfd, reopened through /proc/self/fd), on the dialog's real
// buffer: it must give the same image and boxes, refuse what the parse or the
// size checks refuse, never leave the last address above the image, and keep
// the members behind m_image intact. Writes past m_image are caught by the
// bounds check of UndefinedBehaviorSanitizer on its index.
//
// Built by the BROVIK_FUZZ configuration and run by scripts/fuzz.sh.
#include <QApplication>

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/Brovik.h"
#include "app/BrovikDlg.h"
#include "framework/Host.h"
#include "framework/MemorySettings.h"

namespace {

// Answers the file dialog with the input's file and records the boxes.
class FuzzHost final : public fw::IHost {
public:
    FuzzHost()
    {
        // A port and the shortest delays chosen, as a user would have them.
        for (const char* entry : {"LPT PORT", "DELAY BIT", "DELAY BYTE"})
            m_settings.WriteInt("BROVIK", entry, 1);
    }
    INT_PTR RunModal(CDialog&) override { return IDOK; }
    int MessageBox(CWnd*, const std::string& text, const std::string&, UINT) override
    {
        boxes.push_back(text);
        return IDOK;
    }
    bool GetOpenFileName(CWnd*, const std::string&, std::string& path) override
    {
        path = chosenPath;
        return true;
    }
    void Sleep(std::uint32_t) override {}
    std::int64_t NowMicroseconds() override { return ++m_now; }
    fw::ISettingsStore& Settings() override { return m_settings; }
    fw::IPortBackend& Port() override { return m_port; }

    std::string chosenPath;
    std::vector<std::string> boxes;

private:
    fw::MemorySettings m_settings;
    fw::NoPortBackend m_port;
    std::int64_t m_now = 0;
};

struct Rig {
    FuzzHost host;
    const fw::Setup setup = SetUpBrovik(host);
    CBrovikDlg dlg;
    int file = -1;
};

Rig* g_rig = nullptr;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(*argc, *argv);
    g_rig = new Rig;
    theApp.m_pMainWnd = &g_rig->dlg;
    Check(g_rig->dlg.Create());
    g_rig->file = ::memfd_create("hex_fuzz", MFD_CLOEXEC);
    Check(g_rig->file >= 0);
    g_rig->host.chosenPath = "/proc/self/fd/" + std::to_string(g_rig->file);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHost& host = g_rig->host;
    CBrovikDlg& dlg = g_rig->dlg;
    constexpr std::uint32_t kImageSize = CBrovikDlg::kImageSize;
    const bool fitsBuffer = size <= CBrovikDlg::kFileBufferSize;

    int parsed = 0;
    std::vector<std::uint8_t> parsedImage;
    std::uint32_t parsedLastAddress = 0;
    bool parsedNonZeroBase = false;
    std::vector<std::string> parsedBoxes;
    if (fitsBuffer) {
        const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size]);
        if (size > 0)
            std::memcpy(exact.get(), data, size);
        dlg.m_pFileBuffer = exact.get();
        dlg.m_fileLength = static_cast<std::uint32_t>(size);
        std::memset(dlg.m_image, 0x00, sizeof dlg.m_image);
        dlg.m_lastAddress = 0;
        host.boxes.clear();
        parsed = dlg.ParseHexFile();
        parsedImage.assign(dlg.m_image, dlg.m_image + kImageSize);
        parsedLastAddress = dlg.m_lastAddress;
        parsedNonZeroBase = dlg.m_nonZeroBase;
        parsedBoxes = host.boxes;
        dlg.m_pFileBuffer = dlg.m_fileBuffer;
    }

    Check(::ftruncate(g_rig->file, 0) == 0);
    Check(::pwrite(g_rig->file, data, size, 0) == static_cast<ssize_t>(size));
    // An image loaded before, which a refused command must leave alone.
    const std::uint32_t lastAddressBefore = 0x10;
    dlg.m_lastAddress = lastAddressBefore;
    std::memset(dlg.m_image, 0xA5, sizeof dlg.m_image);
    dlg.m_progress.SetWindowText("before");
    host.boxes.clear();

    dlg.OnOpenHexFile();

    Check(dlg.m_lastAddress < kImageSize);
    Check(dlg.m_pFileBuffer == dlg.m_fileBuffer);
    const std::string status = dlg.m_progress.GetWindowText();
    if (!fitsBuffer) {
        Check(host.boxes == std::vector<std::string>{"Error! Your hex file is more than 24576 bytes."});
        Check(dlg.m_lastAddress == lastAddressBefore);
        for (std::uint8_t byte : dlg.m_image)
            Check(byte == 0xA5);
        Check(status == "before");
        return 0;
    }
    Check(dlg.m_fileLength == size);
    Check(std::memcmp(dlg.m_image, parsedImage.data(), kImageSize) == 0);
    std::vector<std::string> expectedBoxes = parsedBoxes;
    const bool beyondFlash = parsedLastAddress >= kImageSize || parsedNonZeroBase;
    if (beyondFlash)
        expectedBoxes.push_back("Error! Your hex file is more than 8192 bytes.");
    Check(host.boxes == expectedBoxes);
    const bool loaded = parsed == 1 && !beyondFlash;
    Check(parsed == 1 || !parsedBoxes.empty());
    Check(dlg.m_lastAddress == (loaded ? parsedLastAddress : 0));
    Check(status == (loaded ? "Load Hex File Ok" : "before"));
    return 0;
}
