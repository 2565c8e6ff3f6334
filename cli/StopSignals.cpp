#include "cli/StopSignals.h"

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
