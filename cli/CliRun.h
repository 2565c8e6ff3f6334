#pragma once
// Runs one command of the command line on the main dialog, through the same
// handlers its buttons run, and tells whether it succeeded. The dialog is
// created modelessly so that the handlers find their controls: the status
// line is the progress control's text and the data exchange needs the edits.
#include <ostream>
#include <string>

#include "app/BrovikDlg.h"
#include "cli/Options.h"

namespace cli {

class ConsoleHost;
class StatusPrinter;

class CliRun {
public:
    CliRun(ConsoleHost& host, StatusPrinter& status, std::ostream& errors);

    bool Run(const Options& options);

private:
    bool RunCommand(const Options& options);
    // As "Open Hex File" with path chosen. Accepted only when it ends in the
    // loader's Ok text; a file without data then loads as the dialog loads
    // it, and the operation that needs data says so itself.
    bool LoadHexFile(const std::string& path);
    bool Lock(int level);
    // Reads all of the flash and writes it to path as Intel HEX.
    bool ReadFlash(const std::string& path);
    bool EndedWith(const char* okText);
    void FollowStatusLine();
    void ShowStatus(const std::string& text);
    void ReportSettings();

    ConsoleHost& host_;
    StatusPrinter& status_;
    std::ostream& errors_;
    CBrovikDlg dialog_;
};

} // namespace cli
