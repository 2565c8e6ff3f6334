// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Byte-wide access to the three registers of a PC printer port. Every bit a
// caller reads or writes stands for the level on the connector pin (1 = high):
// the lines the port hardware inverts are inverted back here.
#include <cstdint>
#include <vector>

#include "framework/Object.h"
#include "port/ParportList.h"

class CParallelPort : public CObject {
public:
    static constexpr std::uint16_t kLpt1Address = 0x378;
    static constexpr std::uint16_t kLpt2Address = 0x278;
    // LPT3's address when the kernel lists no other port.
    static constexpr std::uint16_t kLpt3ClassicAddress = 0x3BC;

    CParallelPort();
    ~CParallelPort() override;

    // 1: LPT1 at 0x378, 2: LPT2 at 0x278, 3: LPT3 (Lpt3Address); any other
    // number leaves the address as it was.
    void SetPort(int portNumber);
    std::uint16_t BaseAddress() const { return m_baseAddress; }
    // Whether this operation found the port at the base address unreachable
    // (the user has been told why). No port chosen is not such a port.
    bool Unreachable() const;

    void WriteData(int value);
    int ReadData();
    void WriteControl(int value);
    int ReadControl();
    int ReadStatus();

    // The same operations on an explicit base address. Base 0 is no port:
    // reads give 0xFF (before the masks), writes reach nothing.
    void WriteData(std::uint16_t base, int value);
    int ReadData(std::uint16_t base);
    void WriteControl(std::uint16_t base, int value);
    int ReadControl(std::uint16_t base);
    int ReadStatus(std::uint16_t base);

    // LPT3: the first port the kernel lists whose base is neither LPT1's nor
    // LPT2's, else the classic 0x3BC.
    static std::uint16_t Lpt3Address(const std::vector<hw::ParportInfo>& kernelPorts);
    // The base addresses of LPT1, LPT2 and LPT3, in that order.
    static std::vector<std::uint16_t> LptAddresses(const std::vector<hw::ParportInfo>& kernelPorts);

private:
    std::uint16_t m_baseAddress;
};
