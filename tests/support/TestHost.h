// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The host for tests: records every box, sleep and modal dialog, answers as
// the test says, keeps virtual time that advances only by the sleeps, and
// keeps settings in a temporary INI file.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/Host.h"
#include "framework/IniFile.h"
#include "framework/Setup.h"
#include "framework/VirtualClock.h"
#include "tests/support/TempDir.h"

namespace test {

struct ShownBox {
    std::string text;
    std::string caption;
    UINT icon;  // MB_ICON* bits
};

// One entry of the host's journal, in the order things happened.
struct Event {
    enum Kind { Box, Sleep, Modal, FileDialog } kind;
    std::string text;     // box text, or the modal dialog's template id
    std::uint32_t value;  // sleep milliseconds
};

class TestHost final : public fw::IHost {
public:
    // Installed by the test through fw::Setup (SetUpBrovik for the dialog).
    TestHost();

    INT_PTR RunModal(CDialog& dialog) override;
    int MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type) override;
    bool GetOpenFileName(CWnd* owner, const std::string& filter, std::string& path) override;
    void Sleep(std::uint32_t ms) override;
    std::int64_t NowMicroseconds() override { return m_clock.NowMicroseconds(); }
    fw::ISettingsStore& Settings() override { return m_ini; }
    fw::IPortBackend& Port() override { return *m_port; }

    void SetPort(fw::IPortBackend& port) { m_port = &port; }
    const std::string& IniPath() const { return m_ini.Path(); }
    fw::IniFile& Ini() { return m_ini; }

    // Answers: the modal dialog's result (default IDOK, without showing it),
    // the chosen file (nullopt-like: empty function means Cancel).
    std::function<INT_PTR(CDialog&)> onModal;
    std::function<void(const ShownBox&)> onBox;
    std::function<bool(std::string&)> onOpenFile;

    std::vector<ShownBox> boxes;
    std::vector<std::uint32_t> sleeps;
    std::vector<UINT> modalTemplates;
    std::vector<Event> journal;
    std::uint32_t TotalSleptMs() const;
    // Virtual time passing without a sleep, as it does while the thread works.
    void PassTime(std::uint32_t ms) { m_clock.Advance(ms); }
    std::vector<std::string> BoxTexts() const;

private:
    TempDir m_dir;
    fw::IniFile m_ini;
    fw::NoPortBackend m_noPort;
    fw::IPortBackend* m_port = &m_noPort;
    fw::VirtualClock m_clock;
};

} // namespace test
