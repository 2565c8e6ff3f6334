// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Byte-wide I/O port access. _inp/_outp forward to the port back end that the
// current host provides; sim/ and the hardware back end in port/ implement
// IPortBackend.
#include <cstdint>

namespace fw {

class IPortBackend {
public:
    virtual ~IPortBackend() = default;
    virtual std::uint8_t In(std::uint16_t address) = 0;
    virtual void Out(std::uint16_t address, std::uint8_t value) = 0;
    // Called when a command handler starts while no other one runs: the
    // start of an operation the user asked for.
    virtual void BeginOperation() {}
    // Whether the port holding address was found unreachable by an access of
    // this operation; the back end has then told the user why. Back ends
    // that always reach their ports never say so.
    virtual bool Unreachable(std::uint16_t) { return false; }
};

// The state before any port is reachable: reads float high, writes vanish.
class NoPortBackend final : public IPortBackend {
public:
    std::uint8_t In(std::uint16_t) override { return 0xFF; }
    void Out(std::uint16_t, std::uint8_t) override {}
};

int _inp(std::uint16_t address);
int _outp(std::uint16_t address, int value);
// Unreachable of the current host's port back end.
bool PortUnreachable(std::uint16_t address);

} // namespace fw
