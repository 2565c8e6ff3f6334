// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Ways the simulated chip can misbehave, so that tests reach the program's
// error paths.
#include <cstdint>
#include <optional>

namespace sim {

inline constexpr std::int64_t kByteWriteMicroseconds = 2500;

struct ChipFaults {
    enum class Presence {
        Fitted,
        AbsentMisoHigh, // empty socket: MISO floats high
        AbsentMisoLow,  // empty socket with MISO pulled to ground
    };

    Presence presence = Presence::Fitted;
    // Writes to this address are accepted on the wire but change nothing.
    std::optional<std::uint16_t> unprogrammableAddress;
    // How long a byte write keeps the chip busy; above the normal time the
    // chip is slower than the program's waits.
    std::int64_t writeMicroseconds = kByteWriteMicroseconds;
};

} // namespace sim
