// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/RunSettings.h"

#include <optional>

#include "app/DelayFactors.h"
#include "framework/IniFile.h"
#include "port/ParportList.h"

namespace cli {
namespace {

// Handed to the dialog unchanged, so that it takes the value as it takes it
// in its own program: 0 (or none) becomes 1, values above 10 are used, and
// negative or very large ones are capped.
int StoredDelay(const fw::IniFile& stored, const char* entry) { return stored.GetInt(kSettingsSection, entry, 0); }

// Said once, since a delay far above 10 can make a run take hours. A missing
// entry, or 0, gives the ordinary 1.
std::optional<std::string> StoredDelayNote(const fw::IniFile& stored, const char* entry, const char* option)
{
    const int value = StoredDelay(stored, entry);
    if (value == 0 || (value >= kMinDelay && value <= kMaxDelay))
        return std::nullopt;
    const std::uint32_t used = DelayFactorFromSetting(value);
    const std::string longest = std::to_string(used) + ", the longest delay the programs use";
    const std::string how = value < 0 ? "a negative delay is used as " + longest
                            : static_cast<std::uint32_t>(value) != used ? "used as " + longest
                                                                         : "used as it stands, as the dialog program uses it";
    return std::string(entry) + " in " + stored.Path() + " is " + std::to_string(value) + ", outside " +
           std::to_string(kMinDelay) + " to " + std::to_string(kMaxDelay) + ": " + how + " (" + option +
           " chooses another)";
}

} // namespace

std::variant<RunSettings, UsageError> ResolveRunSettings(const Options& options, const fw::IniFile& stored)
{
    RunSettings settings{};
    if (options.port == PortChoice::Address || options.port == PortChoice::Device) {
        settings.port = *options.port;
        settings.lptPort = 1;
        if (options.port == PortChoice::Address) {
            settings.relocatedBase = options.portAddress;
        } else {
            const auto base = DeviceBaseAddress(options.portDevice, hw::ReadParportList());
            if (const auto* error = std::get_if<UsageError>(&base))
                return *error;
            settings.relocatedBase = std::get<std::uint16_t>(base);
        }
    } else if (options.port) {
        settings.port = *options.port;
        settings.lptPort = settings.port == PortChoice::Lpt2 ? 2 : settings.port == PortChoice::Lpt3 ? 3 : 1;
    } else {
        const int storedPort = stored.GetInt(kSettingsSection, kLptPortEntry, 0);
        if (storedPort < 1 || storedPort > 3) {
            return UsageError{"no printer port chosen: pass --port lpt1, lpt2, lpt3 or sim (" + stored.Path() +
                              " holds no LPT PORT of 1 to 3)"};
        }
        settings.port = storedPort == 1 ? PortChoice::Lpt1 : storedPort == 2 ? PortChoice::Lpt2 : PortChoice::Lpt3;
        settings.lptPort = storedPort;
    }
    settings.bitDelay = options.bitDelay.value_or(StoredDelay(stored, kDelayBitEntry));
    settings.byteDelay = options.byteDelay.value_or(StoredDelay(stored, kDelayByteEntry));
    const auto note = [&](const std::optional<int>& given, const char* entry, const char* option) {
        if (given)
            return;
        if (auto text = StoredDelayNote(stored, entry, option))
            settings.notes.push_back(std::move(*text));
    };
    note(options.bitDelay, kDelayBitEntry, "--bit-delay");
    note(options.byteDelay, kDelayByteEntry, "--byte-delay");
    return settings;
}

std::variant<std::uint16_t, UsageError> DeviceBaseAddress(const std::string& device,
                                                          const std::vector<hw::ParportInfo>& kernelPorts)
{
    for (const hw::ParportInfo& port : kernelPorts) {
        if (device == "/dev/parport" + std::to_string(port.number)) {
            if (port.base != 0)
                return port.base;
            return UsageError{device + " has no I/O base address (a printer cable on USB, or a port without "
                                       "registers): the adapter needs a port with registers"};
        }
    }
    return UsageError{"the kernel reports no " + device +
                      " (in /proc/sys/dev/parport): load its drivers (sudo modprobe parport_pc ppdev), or pass "
                      "--port with the card's base address"};
}

} // namespace cli
