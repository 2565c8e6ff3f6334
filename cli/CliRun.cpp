// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/CliRun.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "app/Brovik.h"
#include "cli/ConsoleHost.h"
#include "cli/ExitStatus.h"
#include "cli/HexWriter.h"
#include "cli/StreamCopy.h"
#include "cli/StatusPrinter.h"
#include "cli/StopSignals.h"
#include "device/OperationStopped.h"
#include "framework/SafeFile.h"
#include "framework/Window.h"
#include "res/Texts.h"

namespace cli {
namespace {

// Thrown when a stop signal ends the reading of a HEX file that arrives as a
// stream; nothing has reached the port yet.
struct HexInputStopped {
    std::string source;
};

// What a report calls the HEX file given as path.
std::string HexSource(const std::string& path) { return path == kStandardInput ? "standard input" : path; }

std::string Hex(std::uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

} // namespace

CliRun::CliRun(ConsoleHost& host, StatusPrinter& status, std::ostream& errors)
    : host_(host), status_(status), errors_(errors)
{
}

int CliRun::Run(const Options& options)
{
    theApp.m_pMainWnd = &dialog_;
    int exitStatus = kExitFailed;
    if (dialog_.Create()) {
        FollowStatusLine();
        if (options.verbose)
            ReportSettings();
        try {
            const bool succeeded = RunCommand(options) && host_.FaultsReported() == 0;
            exitStatus = StopSignals::Received() != 0 ? Stopped(nullptr) : succeeded ? kExitSucceeded : kExitFailed;
        } catch (const OperationStopped& stop) {
            dialog_.ReleaseTarget();
            exitStatus = Stopped(&stop);
        } catch (const HexInputStopped& stop) {
            const int signal = StopSignals::Received();
            Say("stopped (" + StopSignals::Name(signal) + ") while reading the HEX file from " + stop.source +
                "; the chip was not touched");
            exitStatus = StopSignals::ExitStatus(signal);
        }
        // The bar may have moved after the last text, as when a run ends in a
        // full bar; show the line as it is left.
        ShowStatus(dialog_.m_progress.GetWindowText());
        status_.EndLine();
        fw::window::SetTextObserver(dialog_.m_progress.m_hWnd, {});
        dialog_.DestroyWindow();
    } else {
        Say("the main dialog could not be created");
    }
    theApp.m_pMainWnd = nullptr;
    return exitStatus;
}

bool CliRun::RunCommand(const Options& options)
{
    switch (options.command) {
    case Command::Erase:
        dialog_.OnErase();
        return true;
    case Command::Blank:
        if (dialog_.OnBlank() == 1)
            return true;
        ReportMismatch();
        return false;
    case Command::Program:
        if (!LoadHexFile(options.file))
            return false;
        dialog_.OnProgram();
        return true;
    case Command::Verify:
        if (!LoadHexFile(options.file))
            return false;
        if (dialog_.OnVerify() == 1)
            return true;
        ReportMismatch();
        return false;
    case Command::Auto:
        if (!LoadHexFile(options.file))
            return false;
        dialog_.OnAuto();
        ReportMismatch();
        return true;
    case Command::Lock:
        return Lock(options.lockLevel);
    case Command::Read:
        return ReadFlash(options.file);
    }
    return false;
}

bool CliRun::LoadHexFile(const std::string& path)
{
    if (!StreamCopy::IsStream(path))
        return OpenHexFile(path, path);
    const StreamCopy input(path, CBrovikDlg::kFileBufferSize);
    if (input.Stopped())
        throw HexInputStopped{HexSource(path)};
    if (!input.Error().empty()) {
        Say(input.Error());
        return false;
    }
    return OpenHexFile(input.Path(), path);
}

bool CliRun::OpenHexFile(const std::string& file, const std::string& path)
{
    // Every refusal shows a box: the loader's own, or the file's fault.
    host_.AnswerFileDialog(file);
    const int faultsBefore = host_.FaultsReported();
    dialog_.OnOpenHexFile();
    if (host_.FaultsReported() == faultsBefore)
        return true;
    if (host_.LastMessage() == texts::kHexFileTooLong) {
        // The limit is on the text, not on the data: short records and long
        // line ends take room that longer records do not.
        Say("the data may still fit in the flash: with more bytes per record the file gets shorter, for example "
            "srec_cat " + path + " -intel -o OUT -intel -obs 32");
    }
    ReportRefusedHexFile(HexSource(path));
    return false;
}

bool CliRun::Lock(int level)
{
    const int radioIds[] = {IDC_LOCK1, IDC_LOCK2, IDC_LOCK3};
    // Ticked as a user's click would tick it.
    dialog_.GetDlgItem(radioIds[level - 1])->SendMessage(BM_CLICK);
    dialog_.OnLockBit();
    return true;
}

bool CliRun::ReadFlash(const std::string& path)
{
    std::vector<std::uint8_t> flash(CBrovikDlg::kImageSize);
    if (dialog_.ReadFlash(flash.data()) != 1)
        return false;
    // "-" and what is not a regular file (/dev/stdout, a FIFO) take the text
    // as a stream; a file is replaced safely.
    const std::string text = IntelHexText(flash);
    std::string error;
    const bool written = path == "-" ? fw::WriteToStream(STDOUT_FILENO, text, "standard output", &error)
                                     : fw::ReplaceFile(path, text, fw::NonRegularFile::WriteAsStream, &error);
    if (!written) {
        Say("the flash could not be written out: " + error);
        return false;
    }
    return true;
}

int CliRun::Stopped(const OperationStopped* stop)
{
    const int signal = StopSignals::Received();
    const std::string by = " (" + StopSignals::Name(signal) + ")";
    if (!stop)
        Say("stopped" + by + " after the operation had ended");
    else if (stop->address)
        Say(std::string(stop->operation) + " stopped at address " + Hex(*stop->address, 4) + by);
    else
        Say(std::string(stop->operation) + " stopped before it sent its commands" + by);
    return StopSignals::ExitStatus(signal);
}

void CliRun::ReportMismatch()
{
    if (!dialog_.m_mismatch)
        return;
    const CBrovikDlg::FlashMismatch& mismatch = *dialog_.m_mismatch;
    Say("first difference at " + Hex(mismatch.address, 4) + ": expected " + Hex(mismatch.expected, 2) + ", read " +
        Hex(mismatch.read, 2));
}

void CliRun::ReportRefusedHexFile(const std::string& path)
{
    if (!dialog_.m_refusedAt || dialog_.m_fileLength == 0)
        return;
    // The line of the character the loader stopped on; at the end of the file,
    // the last line.
    const std::uint32_t at = std::min(*dialog_.m_refusedAt, dialog_.m_fileLength - 1);
    const auto line = 1 + std::count(dialog_.m_pFileBuffer, dialog_.m_pFileBuffer + at, '\n');
    Say(path + " was refused at line " + std::to_string(line));
}

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
    std::snprintf(text, sizeof text, "port 0x%X, bit delay %u, byte delay %u",
                  static_cast<unsigned>(dialog_.m_port.BaseAddress()), static_cast<unsigned>(dialog_.m_delayBit),
                  static_cast<unsigned>(dialog_.m_delayByte));
    Say(text);
}

void CliRun::Say(const std::string& text)
{
    status_.EndLine();
    errors_ << "brovik-cli: " << text << '\n';
    errors_.flush();
}

} // namespace cli
