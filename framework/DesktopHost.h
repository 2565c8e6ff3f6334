// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The host of the dialog programs: real windows and boxes, the clock, the
// INI file named after the executable, and the port back end given to it.
// A settings file whose lock cannot be taken is said in a box, once for each
// reason, and the settings then stay as they are for the run.
#include <memory>
#include <string>

#include "framework/Host.h"

namespace fw {

class IniFile;

class DesktopHost final : public IHost {
public:
    // iniPath is the settings file's default location: missing folders on
    // the way are made.
    DesktopHost(IPortBackend& port, const std::string& iniPath);
    ~DesktopHost() override;

    INT_PTR RunModal(CDialog& dialog) override;
    int MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type) override;
    bool GetOpenFileName(CWnd* owner, const std::string& filter, std::string& path) override;
    void Sleep(std::uint32_t ms) override;
    std::int64_t NowMicroseconds() override;
    ISettingsStore& Settings() override;
    IPortBackend& Port() override { return m_port; }

private:
    void TellSettingsProblem(const std::string& problem);

    IPortBackend& m_port;
    std::unique_ptr<IniFile> m_settings;
    std::string m_settingsProblemTold;
};

} // namespace fw
