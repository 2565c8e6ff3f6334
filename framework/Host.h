// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Everything that waits for a person or for time goes through one replaceable
// host: modal dialogs, message boxes, the file-open dialog, sleeps, the
// settings store and the port back end.
#include <cstdint>
#include <string>

#include "framework/Clock.h"
#include "framework/PortIo.h"
#include "framework/SettingsStore.h"
#include "framework/Types.h"

class CWnd;
class CDialog;

namespace fw {

class IHost : public IClock {
public:
    ~IHost() override = default;

    // Runs the dialog modally and returns its result.
    virtual INT_PTR RunModal(CDialog& dialog) = 0;
    // Shows a modal box owned by owner (may be null); returns IDOK.
    virtual int MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type) = 0;
    // The file-open dialog: true and the chosen path on OK, false otherwise.
    virtual bool GetOpenFileName(CWnd* owner, const std::string& filter, std::string& path) = 0;
    // Suspends the calling thread for ms milliseconds.
    virtual void Sleep(std::uint32_t ms) = 0;

    virtual ISettingsStore& Settings() = 0;
    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue)
    {
        return Settings().GetInt(section, entry, defaultValue);
    }
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value)
    {
        return Settings().WriteInt(section, entry, value);
    }

    virtual IPortBackend& Port() = 0;

    // Whether the person running the program asked the operation in progress
    // to stop. A host that offers no way to ask says no, and its operations
    // run to their end.
    virtual bool StopRequested() { return false; }
};

IHost& CurrentHost();
// Installs host as the current one (null restores the built-in fallback host,
// which answers nothing and reaches no port); returns the previous one.
IHost* InstallHost(IHost* host);

} // namespace fw
