// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A printer port as a program sees it through the kernel's ppdev driver, with
// the programming adapter and a target chip plugged in: the port model that
// answers QEMU's host-driver parallel port (-chardev parallel) when this
// library is preloaded into it.
//
// The requests carry the raw register bytes as the port hardware holds them;
// sim::SimulatedPort turns them into pin levels (nStrobe, nAutoFeed and
// nSelectIn inverted on the way out, Busy on the way in) and the adapter
// passes SCK, MOSI and reset-control on to the chip. As with parport_pc, the
// control requests reach only the four signal bits, and bit 5 turns the data
// lines round; while they are inputs nothing drives them and they read high.
#include <cstdint>

#include "framework/Clock.h"
#include "sim/ChipContents.h"
#include "sim/SimulatedRig.h"
#include "sim/ppdev/WireJournal.h"

namespace ppdev {

enum class PortFault {
    None,
    MisoStuckHigh,    // no chip answers: MISO floats high
    MisoStuckLow,     // no chip answers: MISO held low
    MisoOneClockLate, // a wrong link: the status register shows MISO as it
                      // was at the previous rising edge of SCK, not now
};

class PpdevChipPort {
public:
    // QEMU's port after reset: data 0xFF, control 0x0C.
    static constexpr std::uint8_t kResetData = 0xFF;
    static constexpr std::uint8_t kResetControl = 0x0C;

    // journal may be null; index names the port in it.
    PpdevChipPort(fw::IClock& clock, const sim::ChipContents& contents, PortFault fault, int index,
                  WireJournal* journal);
    PpdevChipPort(const PpdevChipPort&) = delete;
    PpdevChipPort& operator=(const PpdevChipPort&) = delete;

    // Answers one ioctl as ppdev and the port would: its result, or -1 with
    // *error set to the errno ppdev gives (ENOTTY for a request it does not
    // know, EINVAL for register access before PPCLAIM).
    int Ioctl(unsigned long request, void* argument, int* error);

    const sim::ChipContents& Contents() const { return rig_.chip.Contents(); }

private:
    void WriteData(std::uint8_t value);
    void WriteControl(std::uint8_t signalMask, std::uint8_t signals);
    void TurnDataLines(bool input);
    std::uint8_t ReadData() const;
    std::uint8_t ReadStatus();
    std::uint8_t ControlSignals();
    void Journal(JournalKind kind, std::uint8_t value);

    fw::IClock& clock_;
    sim::SimulatedRig rig_;
    const PortFault fault_;
    const int index_;
    WireJournal* const journal_;
    bool claimed_ = false;
    bool dataInput_ = false;
    std::uint8_t dataLatch_ = kResetData;
    bool misoAtLastRisingEdge_ = true;
    int mode_ = 0;
};

} // namespace ppdev
