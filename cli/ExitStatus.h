// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The exit status of brovik-cli, for scripts.
namespace cli {

inline constexpr int kExitSucceeded = 0;
// The command ran and failed: a fault was reported, a HEX file was refused,
// the blank check or the verify found a difference, or the chip file could
// not be locked, read or written.
inline constexpr int kExitFailed = 1;
// The command line cannot be run (as `read` into the chip file of the run):
// nothing was touched.
inline constexpr int kExitUsage = 2;
// A run ended early by a stop signal exits as a shell reports a program that
// the signal ended: 128 + its number (StopSignals::ExitStatus).

} // namespace cli
