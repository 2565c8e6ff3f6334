// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ConsoleHost.h"

#include "cli/SessionClock.h"
#include "cli/StatusPrinter.h"
#include "cli/StopSignals.h"
#include "framework/Dialog.h"
#include "res/Texts.h"

namespace cli {

ConsoleHost::ConsoleHost(fw::IPortBackend& port, SessionClock& clock, StatusPrinter& status, std::ostream& errors)
    : port_(port), clock_(clock), status_(status), errors_(errors)
{
}

INT_PTR ConsoleHost::RunModal(CDialog& dialog)
{
    ++faults_;
    status_.EndLine();
    errors_ << "brovik-cli: dialog " << dialog.TemplateId() << " asked for a choice that a console run cannot show\n";
    errors_.flush();
    return IDOK;
}

int ConsoleHost::MessageBox(CWnd*, const std::string& text, const std::string&, UINT)
{
    ++faults_;
    lastMessage_ = text;
    status_.EndLine();
    const auto end = text.find_last_not_of('\n');
    errors_ << (end == std::string::npos ? std::string() : text.substr(0, end + 1)) << '\n';
    if (text == texts::kNoTargetBox) {
        errors_ << "brovik-cli: the chip did not answer: it did not give back the byte written to address 0; "
                   "a chip whose lock bits are set fails this check until it is erased\n";
    }
    errors_.flush();
    return IDOK;
}

bool ConsoleHost::GetOpenFileName(CWnd*, const std::string&, std::string& path)
{
    if (!fileAnswer_)
        return false;
    path = std::move(*fileAnswer_);
    fileAnswer_.reset();
    return true;
}

void ConsoleHost::Sleep(std::uint32_t ms) { clock_.Sleep(ms); }

bool ConsoleHost::StopRequested() { return StopSignals::Received() != 0; }

std::int64_t ConsoleHost::NowMicroseconds() { return clock_.NowMicroseconds(); }

} // namespace cli
