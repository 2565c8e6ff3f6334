// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Runs one command of the command line on the main dialog, through the same
// handlers its buttons run, and tells how it ended. The dialog is created
// modelessly so that the handlers find their controls: the status line is the
// progress control's text and the data exchange needs the edits.
#include <ostream>
#include <string>

#include "app/BrovikDlg.h"
#include "cli/Options.h"

struct OperationStopped;

namespace cli {

class ConsoleHost;
class StatusPrinter;

class CliRun {
public:
    CliRun(ConsoleHost& host, StatusPrinter& status, std::ostream& errors);

    // The exit status: success, failure, or the stop signal's status.
    int Run(const Options& options);

private:
    // Whether the command succeeded; an operation that reported a fault (a
    // message box) did not.
    bool RunCommand(const Options& options);
    // As "Open Hex File" with path chosen; "-", a pipe or a device is read
    // as a stream first.
    bool LoadHexFile(const std::string& path);
    // "Open Hex File" on file, which holds what path (as given) named.
    bool OpenHexFile(const std::string& file, const std::string& path);
    bool Lock(int level);
    // Reads all of the flash and only then writes it to path as Intel HEX.
    bool ReadFlash(const std::string& path);
    // The status after a stop signal; says what was stopped, and where.
    int Stopped(const OperationStopped* stop);
    void ReportMismatch();
    void ReportRefusedHexFile(const std::string& path);
    void FollowStatusLine();
    void ShowStatus(const std::string& text);
    void ReportSettings();
    // One line of brovik-cli's own on the error stream.
    void Say(const std::string& text);

    ConsoleHost& host_;
    StatusPrinter& status_;
    std::ostream& errors_;
    CBrovikDlg dialog_;
};

} // namespace cli
