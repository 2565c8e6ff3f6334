// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ppdev/PpdevChipPort.h"

#include <array>
#include <cerrno>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace ppdev {
namespace {

// The model's registers answer at 0 (data), 1 (status) and 2 (control).
constexpr std::uint16_t kData = 0;
constexpr std::uint16_t kStatus = 1;
constexpr std::uint16_t kControl = 2;
constexpr std::array<std::uint16_t, 1> kBases{0};

// The bits of the control register that parport_pc lets ppdev change.
constexpr std::uint8_t kSignalBits = PARPORT_CONTROL_STROBE | PARPORT_CONTROL_AUTOFD | PARPORT_CONTROL_INIT |
                                     PARPORT_CONTROL_SELECT;
constexpr std::uint8_t kDirectionBit = 0x20;
constexpr std::uint8_t kMisoStatusBit = 0x40;
constexpr std::uint8_t kFloatingDataLines = 0xFF;
constexpr int kSckPin = sim::Adapter::kSckPin;
constexpr int kMisoPin = sim::Adapter::kMisoPin;

sim::ChipFaults FaultsOfChip(PortFault fault)
{
    sim::ChipFaults faults;
    if (fault == PortFault::MisoStuckHigh)
        faults.presence = sim::ChipFaults::Presence::AbsentMisoHigh;
    else if (fault == PortFault::MisoStuckLow)
        faults.presence = sim::ChipFaults::Presence::AbsentMisoLow;
    return faults;
}

std::uint8_t& Byte(void* argument) { return *static_cast<std::uint8_t*>(argument); }

} // namespace

PpdevChipPort::PpdevChipPort(fw::IClock& clock, const sim::ChipContents& contents, PortFault fault, int index,
                             WireJournal* journal)
    : clock_(clock), rig_(clock, kBases, contents, FaultsOfChip(fault)), fault_(fault), index_(index),
      journal_(journal)
{
    rig_.port.Out(kData, kResetData);
    rig_.port.Out(kControl, kResetControl);
}

int PpdevChipPort::Ioctl(unsigned long request, void* argument, int* error)
{
    switch (request) {
    case PPCLAIM:
        claimed_ = true;
        Journal(JournalKind::Claim, 0);
        return 0;
    case PPEXCL:
    case PPYIELD:
        return 0;
    case PPSETMODE:
        mode_ = *static_cast<int*>(argument);
        return 0;
    case PPGETMODE:
        *static_cast<int*>(argument) = mode_;
        return 0;
    default:
        break;
    }
    // ppdev refuses everything else until the port is claimed.
    if (!claimed_) {
        *error = EINVAL;
        return -1;
    }
    switch (request) {
    case PPRELEASE:
        claimed_ = false;
        Journal(JournalKind::Release, 0);
        return 0;
    case PPWDATA:
        WriteData(Byte(argument));
        return 0;
    case PPRDATA:
        Byte(argument) = ReadData();
        Journal(JournalKind::ReadData, Byte(argument));
        return 0;
    case PPRSTATUS:
        Byte(argument) = ReadStatus();
        Journal(JournalKind::ReadStatus, Byte(argument));
        return 0;
    case PPWCONTROL: {
        const std::uint8_t value = Byte(argument);
        // parport_pc still takes bit 5 of a control write as "data lines in".
        if (value & kDirectionBit)
            TurnDataLines(true);
        WriteControl(kSignalBits, value);
        return 0;
    }
    case PPFCONTROL: {
        const auto* frob = static_cast<const ppdev_frob_struct*>(argument);
        if (frob->mask & kDirectionBit)
            TurnDataLines((frob->val & kDirectionBit) != 0);
        WriteControl(frob->mask & kSignalBits, frob->val);
        return 0;
    }
    case PPRCONTROL:
        Byte(argument) = ControlSignals();
        Journal(JournalKind::ReadControl, Byte(argument));
        return 0;
    case PPDATADIR:
        TurnDataLines(*static_cast<int*>(argument) != 0);
        return 0;
    case PPNEGOT:
        // The adapter is no IEEE 1284 peripheral: only compatibility mode,
        // which needs no negotiation, is there.
        if (*static_cast<int*>(argument) == IEEE1284_MODE_COMPAT)
            return 0;
        *error = EIO;
        return -1;
    case PPCLRIRQ:
        *static_cast<int*>(argument) = 0;
        return 0;
    default:
        *error = ENOTTY;
        return -1;
    }
}

void PpdevChipPort::WriteData(std::uint8_t value)
{
    dataLatch_ = value;
    Journal(JournalKind::WriteData, value);
    if (dataInput_)
        return;
    const bool sckBefore = rig_.port.PinLevel(kSckPin);
    const bool misoBefore = rig_.port.PinLevel(kMisoPin);
    rig_.port.Out(kData, value);
    if (!sckBefore && rig_.port.PinLevel(kSckPin))
        misoAtLastRisingEdge_ = misoBefore;
}

void PpdevChipPort::WriteControl(std::uint8_t signalMask, std::uint8_t signals)
{
    const std::uint8_t control = rig_.port.In(kControl);
    const auto updated = static_cast<std::uint8_t>((control & ~signalMask) | (signals & signalMask));
    rig_.port.Out(kControl, updated);
    Journal(JournalKind::WriteControl, updated);
}

void PpdevChipPort::TurnDataLines(bool input)
{
    if (input == dataInput_)
        return;
    dataInput_ = input;
    Journal(JournalKind::DataDirection, input ? 1 : 0);
    rig_.port.Out(kData, input ? kFloatingDataLines : dataLatch_);
}

std::uint8_t PpdevChipPort::ReadData() const { return dataInput_ ? kFloatingDataLines : dataLatch_; }

std::uint8_t PpdevChipPort::ReadStatus()
{
    const std::uint8_t status = rig_.port.In(kStatus);
    if (fault_ != PortFault::MisoOneClockLate)
        return status;
    return static_cast<std::uint8_t>((status & ~kMisoStatusBit) | (misoAtLastRisingEdge_ ? kMisoStatusBit : 0));
}

std::uint8_t PpdevChipPort::ControlSignals() { return rig_.port.In(kControl) & kSignalBits; }

void PpdevChipPort::Journal(JournalKind kind, std::uint8_t value)
{
    if (journal_)
        journal_->Record(clock_.NowMicroseconds(), index_, kind, value);
}

} // namespace ppdev
