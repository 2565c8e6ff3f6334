// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/ParallelPort.h"

#include "framework/PortIo.h"

namespace {
constexpr int kStatusMask = 0x80;   // Busy is inverted by the port
constexpr int kControlMask = 0x0B;  // nStrobe, nAutoFeed and nSelectIn are inverted

// Base 0 means that no port has been chosen: nothing is reached.
int In(std::uint16_t base, int offset) { return base != 0 ? fw::_inp(static_cast<std::uint16_t>(base + offset)) : 0xFF; }

void Out(std::uint16_t base, int offset, int value)
{
    if (base != 0)
        fw::_outp(static_cast<std::uint16_t>(base + offset), value & 0xFF);
}
} // namespace

CParallelPort::CParallelPort() : m_baseAddress(0) {}
CParallelPort::~CParallelPort() = default;

void CParallelPort::SetPort(int portNumber)
{
    switch (portNumber) {
    case 1:
        m_baseAddress = kLpt1Address;
        break;
    case 2:
        m_baseAddress = kLpt2Address;
        break;
    case 3:
        m_baseAddress = Lpt3Address(hw::ReadParportList());
        break;
    default:
        break;
    }
}

std::uint16_t CParallelPort::Lpt3Address(const std::vector<hw::ParportInfo>& kernelPorts)
{
    for (const hw::ParportInfo& port : kernelPorts)
        if (port.base != kLpt1Address && port.base != kLpt2Address && port.base != 0)
            return port.base;
    return kLpt3ClassicAddress;
}

bool CParallelPort::Unreachable() const { return m_baseAddress != 0 && fw::PortUnreachable(m_baseAddress); }

void CParallelPort::WriteData(int value) { WriteData(m_baseAddress, value); }
int CParallelPort::ReadData() { return ReadData(m_baseAddress); }
void CParallelPort::WriteControl(int value) { WriteControl(m_baseAddress, value); }
int CParallelPort::ReadControl() { return ReadControl(m_baseAddress); }
int CParallelPort::ReadStatus() { return ReadStatus(m_baseAddress); }

void CParallelPort::WriteData(std::uint16_t base, int value) { Out(base, 0, value); }
int CParallelPort::ReadData(std::uint16_t base) { return In(base, 0); }
void CParallelPort::WriteControl(std::uint16_t base, int value) { Out(base, 2, value ^ kControlMask); }
int CParallelPort::ReadControl(std::uint16_t base) { return In(base, 2) ^ kControlMask; }
int CParallelPort::ReadStatus(std::uint16_t base) { return In(base, 1) ^ kStatusMask; }

std::vector<std::uint16_t> CParallelPort::LptAddresses(const std::vector<hw::ParportInfo>& kernelPorts)
{
    return {kLpt1Address, kLpt2Address, Lpt3Address(kernelPorts)};
}
