// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Thrown out of an operation that stopped early because its host asked it to
// (brovik-cli, on a stop signal). The operation has finished the ISP command
// in progress; whoever catches this releases the target.
#include <cstdint>
#include <optional>

struct OperationStopped {
    // The operation's name, as a report names it.
    const char* operation;
    // The address whose command was not sent, for the operations that go
    // through the flash address by address: everything below it was done.
    std::optional<std::uint32_t> address;
};
