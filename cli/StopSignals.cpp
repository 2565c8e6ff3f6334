// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/StopSignals.h"

#include <cerrno>
#include <poll.h>
#include <pthread.h>

namespace cli {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_received = 0;

extern "C" void NoteStopSignal(int signal)
{
    if (g_received == 0)
        g_received = signal;
}

} // namespace

StopSignals::StopSignals()
{
    g_received = 0;
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress wakes up and sees the stop.
    action.sa_flags = 0;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kStopSignals[i], &action, &previous_[i]);
}

StopSignals::~StopSignals()
{
    for (int i = 0; i < 3; ++i)
        ::sigaction(kStopSignals[i], &previous_[i], nullptr);
    g_received = 0;
}

int StopSignals::Received() { return g_received; }

bool StopSignals::WaitForInput(int fd)
{
    // Blocked from the look at g_received until ppoll unblocks them for its
    // wait in one step, so that none can slip in between and be missed.
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : kStopSignals)
        sigaddset(&stops, signal);
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &stops, &previous);
    pollfd input{fd, POLLIN, 0};
    while (g_received == 0) {
        const int ready = ::ppoll(&input, 1, nullptr, &previous);
        // An error, such as a descriptor that cannot be polled, is left to
        // the read to report.
        if (ready > 0 || (ready < 0 && errno != EINTR))
            break;
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return g_received == 0;
}

std::string StopSignals::Name(int signal)
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal " + std::to_string(signal);
    }
}

} // namespace cli
