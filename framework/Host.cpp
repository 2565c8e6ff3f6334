// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Host.h"

#include <chrono>

namespace fw {
namespace {

// Keeps nothing: every entry reads as its default.
class NoSettings final : public ISettingsStore {
public:
    int GetInt(const std::string&, const std::string&, int defaultValue) const override { return defaultValue; }
    bool WriteInt(const std::string&, const std::string&, int) override { return false; }
};

// Stands in before a program installs its host: shows nothing, waits for
// nothing, stores nothing and reaches no port.
class FallbackHost final : public IHost {
public:
    INT_PTR RunModal(CDialog&) override { return IDCANCEL; }
    int MessageBox(CWnd*, const std::string&, const std::string&, UINT) override { return IDOK; }
    bool GetOpenFileName(CWnd*, const std::string&, std::string&) override { return false; }
    void Sleep(std::uint32_t) override {}
    std::int64_t NowMicroseconds() override
    {
        using namespace std::chrono;
        return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }
    ISettingsStore& Settings() override { return m_noSettings; }
    IPortBackend& Port() override { return m_noPort; }

private:
    NoSettings m_noSettings;
    NoPortBackend m_noPort;
};

FallbackHost& Fallback()
{
    static FallbackHost host;
    return host;
}

IHost* g_host = nullptr;

} // namespace

IHost& CurrentHost() { return g_host ? *g_host : Fallback(); }

IHost* InstallHost(IHost* host)
{
    IHost* previous = g_host;
    g_host = host;
    return previous;
}

int _inp(std::uint16_t address) { return CurrentHost().Port().In(address); }

int _outp(std::uint16_t address, int value)
{
    CurrentHost().Port().Out(address, static_cast<std::uint8_t>(value));
    return value;
}

bool PortUnreachable(std::uint16_t address) { return CurrentHost().Port().Unreachable(address); }

} // namespace fw
