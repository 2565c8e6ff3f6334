// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A port back end that records every access and passes it on.
#include <cstdint>
#include <vector>

#include "framework/PortIo.h"

namespace test {

struct PortAccess {
    bool write;
    std::uint16_t address;
    std::uint8_t value;  // written, or read
};

class RecordingPort final : public fw::IPortBackend {
public:
    explicit RecordingPort(fw::IPortBackend& target) : m_target(&target) {}
    void Retarget(fw::IPortBackend& target) { m_target = &target; }

    std::uint8_t In(std::uint16_t address) override
    {
        const std::uint8_t value = m_target->In(address);
        accesses.push_back({false, address, value});
        return value;
    }
    void Out(std::uint16_t address, std::uint8_t value) override
    {
        accesses.push_back({true, address, value});
        m_target->Out(address, value);
    }
    void BeginOperation() override { m_target->BeginOperation(); }
    bool Unreachable(std::uint16_t address) override { return m_target->Unreachable(address); }

    std::vector<PortAccess> accesses;

private:
    fw::IPortBackend* m_target;
};

} // namespace test
