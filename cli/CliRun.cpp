#include "cli/CliRun.h"

#include <cstdio>
#include <unistd.h>
#include <vector>

#include "app/Brovik.h"
#include "cli/ConsoleHost.h"
#include "cli/HexWriter.h"
#include "cli/StatusPrinter.h"
#include "framework/SafeFile.h"
#include "framework/Window.h"

namespace cli {
namespace {

constexpr std::uint8_t kReadCode = 0x01;
constexpr std::uint8_t kReadFiller = 0xFF;

std::string Formatted(const char* format, int number)
{
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

} // namespace

CliRun::CliRun(ConsoleHost& host, StatusPrinter& status, std::ostream& errors)
    : host_(host), status_(status), errors_(errors)
{
}

bool CliRun::Run(const Options& options)
{
    theApp.m_pMainWnd = &dialog_;
    bool succeeded = false;
    if (dialog_.Create()) {
        FollowStatusLine();
        if (options.verbose)
            ReportSettings();
        succeeded = RunCommand(options) && host_.FaultsReported() == 0;
        // The bar may have moved after the last text, as when a run ends in a
        // full bar; show the line as it is left.
        ShowStatus(dialog_.m_progress.GetWindowText());
        status_.EndLine();
        fw::window::SetTextObserver(dialog_.m_progress.m_hWnd, {});
        dialog_.DestroyWindow();
    } else {
        errors_ << "brovik-cli: the main dialog could not be created\n";
    }
    theApp.m_pMainWnd = nullptr;
    return succeeded;
}

bool CliRun::RunCommand(const Options& options)
{
    switch (options.command) {
    case Command::Erase:
        dialog_.OnErase();
        return EndedWith("Erase Ok");
    case Command::Blank:
        return dialog_.OnBlank() == 1;
    case Command::Program:
        if (!LoadHexFile(options.file))
            return false;
        dialog_.OnProgram();
        return EndedWith("Program Flash Ok");
    case Command::Verify:
        return LoadHexFile(options.file) && dialog_.OnVerify() == 1;
    case Command::Auto:
        if (!LoadHexFile(options.file))
            return false;
        dialog_.OnAuto();
        return EndedWith("Verfify Ok");
    case Command::Lock:
        return Lock(options.lockLevel);
    case Command::Read:
        return ReadFlash(options.file);
    }
    return false;
}

bool CliRun::LoadHexFile(const std::string& path)
{
    host_.AnswerFileDialog(path);
    dialog_.OnOpenHexFile();
    return host_.FaultsReported() == 0 && EndedWith("Load Hex File Ok");
}

bool CliRun::Lock(int level)
{
    const int radioIds[] = {IDC_LOCK1, IDC_LOCK2, IDC_LOCK3};
    // Ticked as a user's click would tick it.
    dialog_.GetDlgItem(radioIds[level - 1])->SendMessage(BM_CLICK);
    dialog_.OnLockBit();
    return EndedWith(Formatted("Lock Bit%d Ok", level).c_str());
}

bool CliRun::ReadFlash(const std::string& path)
{
    CTextProgressCtrl& progress = dialog_.m_progress;
    progress.SetWindowText("Read Flash");
    progress.SetPos(0);
    progress.SetRange(0, static_cast<short>(CBrovikDlg::kImageSize));
    progress.SetStep(1);
    // Reading writes nothing to the chip, so it needs no presence check.
    dialog_.LoadPortSelection();
    dialog_.EnterProgramming();
    dialog_.ProgrammingEnable();
    std::vector<std::uint8_t> flash(CBrovikDlg::kImageSize);
    for (std::uint32_t address = 0; address < CBrovikDlg::kImageSize; ++address) {
        const std::uint8_t command[3] = {static_cast<std::uint8_t>(((address >> 5) & 0xF8) | kReadCode),
                                         static_cast<std::uint8_t>(address & 0xFF), kReadFiller};
        std::uint8_t reply[3];
        dialog_.SendCommand(command, reply);
        flash[address] = reply[2];
        progress.SetWindowText(Formatted("Read Flash %d%%", static_cast<int>(address * 100 / CBrovikDlg::kImageSize)));
        progress.StepIt();
    }
    dialog_.ReleaseTarget();

    // "-" and what is not a regular file (/dev/stdout, a FIFO) take the text
    // as a stream; a file is replaced safely.
    const std::string text = IntelHexText(flash);
    std::string error;
    const bool written = path == "-" ? fw::WriteToStream(STDOUT_FILENO, text, "standard output", &error)
                                     : fw::ReplaceFile(path, text, fw::NonRegularFile::WriteAsStream, &error);
    if (!written) {
        status_.EndLine();
        errors_ << "brovik-cli: the flash could not be written out: " << error << '\n';
        return false;
    }
    progress.SetWindowText("Read Flash Ok");
    return true;
}

bool CliRun::EndedWith(const char* okText) { return dialog_.m_progress.GetWindowText() == okText; }

void CliRun::FollowStatusLine()
{
    fw::window::SetTextObserver(dialog_.m_progress.m_hWnd, [this](const std::string& text) { ShowStatus(text); });
}

void CliRun::ShowStatus(const std::string& text)
{
    PBRANGE range{};
    dialog_.m_progress.SendMessage(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
    status_.Show(text, {range.iLow, range.iHigh, dialog_.m_progress.GetPos()});
}

void CliRun::ReportSettings()
{
    char text[128];
    std::snprintf(text, sizeof text, "brovik-cli: port 0x%X, bit delay %u, byte delay %u\n",
                  static_cast<unsigned>(dialog_.m_port.BaseAddress()), static_cast<unsigned>(dialog_.m_delayBit),
                  static_cast<unsigned>(dialog_.m_delayByte));
    errors_ << text;
    errors_.flush();
}

} // namespace cli
