// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// SIGINT, SIGTERM and SIGHUP during a run of brovik-cli. While a StopSignals
// object lives they are caught instead of ending the process at once: the
// operation in progress then ends at the end of its ISP command, the target is
// released and the simulated chip keeps what was written. The handling found
// before comes back when the object goes.
#include <csignal>
#include <string>

namespace cli {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first stop signal caught while the object lives, 0 while none.
    static int Received();
    // Waits until fd has input (or its end) or a stop signal has come:
    // true for input, false for a stop. A signal that comes just before the
    // wait begins ends it too.
    static bool WaitForInput(int fd);
    // "SIGINT", "SIGTERM" or "SIGHUP".
    static std::string Name(int signal);
    // The exit status of a run ended by signal: 128 + its number, as a shell
    // reports a program that the signal ended.
    static int ExitStatus(int signal) { return 128 + signal; }

private:
    struct sigaction previous_[3];
};

} // namespace cli
