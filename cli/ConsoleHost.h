// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The host of brovik-cli: message boxes become lines on the error stream,
// the file-open dialog answers with the file named on the command line,
// modal dialogs are not shown, sleeps go to the run's clock, and settings
// live in memory for the run: the dialog program's settings file is never
// written.
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "framework/MemorySettings.h"
#include "framework/Host.h"

namespace cli {

class SessionClock;
class StatusPrinter;

class ConsoleHost final : public fw::IHost {
public:
    ConsoleHost(fw::IPortBackend& port, SessionClock& clock, StatusPrinter& status, std::ostream& errors);

    // Answers IDOK without showing anything. The dialog program only asks
    // for its first-run notice, which a run with a port set never does; if a
    // dialog is asked for all the same, that is reported as a fault.
    INT_PTR RunModal(CDialog& dialog) override;
    // Writes the text to the error stream (without the trailing line feeds
    // some texts have) and counts it as a fault: every box of the operations
    // reports one. The presence check's box gets a line that says what it
    // means.
    int MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type) override;
    // The path given to AnswerFileDialog, once; Cancel otherwise.
    bool GetOpenFileName(CWnd* owner, const std::string& filter, std::string& path) override;
    void Sleep(std::uint32_t ms) override;
    std::int64_t NowMicroseconds() override;
    fw::ISettingsStore& Settings() override { return settings_; }
    fw::IPortBackend& Port() override { return port_; }
    // After a stop signal (see StopSignals).
    bool StopRequested() override;

    void AnswerFileDialog(std::string path) { fileAnswer_ = std::move(path); }
    // Boxes shown and dialogs asked for so far.
    int FaultsReported() const { return faults_; }
    // The text of the box shown last; empty before the first.
    const std::string& LastMessage() const { return lastMessage_; }

private:
    fw::IPortBackend& port_;
    SessionClock& clock_;
    StatusPrinter& status_;
    std::ostream& errors_;
    fw::MemorySettings settings_;
    std::optional<std::string> fileAnswer_;
    int faults_ = 0;
    std::string lastMessage_;
};

} // namespace cli
