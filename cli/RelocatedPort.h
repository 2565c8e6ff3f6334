// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A port chosen by base address or device sits where the dialog's three
// choices cannot reach. The dialog code drives LPT1 (its "LPT PORT" 1), and
// this back end moves the three registers at that base to the chosen one;
// every other address passes through unchanged.
#include <cstdint>

#include "framework/PortIo.h"

namespace cli {

class RelocatedPort final : public fw::IPortBackend {
public:
    RelocatedPort(fw::IPortBackend& target, std::uint16_t from, std::uint16_t to)
        : target_(target), from_(from), to_(to)
    {
    }

    std::uint8_t In(std::uint16_t address) override { return target_.In(Moved(address)); }
    void Out(std::uint16_t address, std::uint8_t value) override { target_.Out(Moved(address), value); }
    void BeginOperation() override { target_.BeginOperation(); }
    bool Unreachable(std::uint16_t address) override { return target_.Unreachable(Moved(address)); }

private:
    static constexpr unsigned kRegisterCount = 3;

    std::uint16_t Moved(std::uint16_t address) const
    {
        return address >= from_ && address < from_ + kRegisterCount ? static_cast<std::uint16_t>(address - from_ + to_)
                                                                     : address;
    }

    fw::IPortBackend& target_;
    std::uint16_t from_;
    std::uint16_t to_;
};

} // namespace cli
