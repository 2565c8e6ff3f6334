// SPDX-License-Identifier: GPL-2.0-or-later
// Timing fidelity: a real Program of 1024 bytes at byte delay 1 on
// brovik-sim's code path (real sleeps, the chip on the monotonic clock),
// against the sum of the sleeps the operation prescribes.
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <utility>
#include <vector>

#include "bench/Benchmarks.h"
#include "bench/DialogRig.h"
#include "bench/Timing.h"
#include "framework/QtBridge.h"
#include "res/resource.h"
#include "res/Texts.h"

namespace bench {
namespace {

constexpr std::uint32_t kBytes = 1024;
// Presence check 816 (its EnterProgramming and four 4 ms waits), programming
// mode 800, and 4 ms after each byte.
constexpr std::uint64_t kPrescribedMilliseconds = 816 + 800 + 4 * kBytes;
constexpr double kRatioTarget = 1.01;

void LoadPattern(CBrovikDlg& dlg)
{
    for (std::uint32_t address = 0; address < kBytes; ++address)
        dlg.m_image[address] = PatternByte(address);
    dlg.m_lastAddress = kBytes - 1;
}

struct ProgramRun {
    double wallMilliseconds;
    std::uint32_t sleeps;
    double overshootMilliseconds;  // by which the sleeps ended late, in all
};

ProgramRun ProgramForReal(std::uint32_t bitDelay)
{
    std::cerr << "Programming " << kBytes << " bytes with real sleeps at bit delay " << bitDelay << " (about 6 s)...\n";
    DialogRig rig(SleepMode::Real);
    CBrovikDlg& dlg = rig.Dialog();
    LoadPattern(dlg);
    dlg.m_delayBit = bitDelay;
    dlg.m_delayByte = 1;
    rig.host.ResetSleepTotals();

    const SteadyClock::time_point start = SteadyClock::now();
    dlg.OnProgram();
    const double wall = MicrosecondsSince(start) / 1000;

    Require(rig.host.boxes.empty() && dlg.m_progress.GetWindowText() == texts::kProgramFlashOk, "Program did not succeed");
    for (std::uint32_t address = 0; address < kBytes; ++address)
        Require(rig.chip.Flash()[address] == PatternByte(address), "the chip does not hold what was programmed");
    Require(rig.host.PrescribedSleepMilliseconds() == kPrescribedMilliseconds,
            "Program asked for other sleeps than expected");
    return {wall, rig.host.SleepCount(), static_cast<double>(rig.host.SleepOvershootMicroseconds()) / 1000};
}

struct RecordedProgram {
    std::size_t commands;
    std::uint32_t sleeps;
    double medianMilliseconds;
};

// The same Program with recorded sleeps: its commands, and the time of its
// work alone, with warm caches.
RecordedProgram ProgramWithoutWaiting()
{
    DialogRig rig(SleepMode::Recorded);
    CBrovikDlg& dlg = rig.Dialog();
    LoadPattern(dlg);
    dlg.m_delayBit = 0;
    rig.host.ResetSleepTotals();
    const std::size_t commands = rig.CommandsSentBy([&] { dlg.OnProgram(); });
    const std::uint32_t sleeps = rig.host.SleepCount();
    std::vector<double> milliseconds;
    for (int run = 0; run < 7; ++run) {
        const SteadyClock::time_point start = SteadyClock::now();
        dlg.OnProgram();
        milliseconds.push_back(MicrosecondsSince(start) / 1000);
        Require(rig.host.boxes.empty() && dlg.m_progress.GetWindowText() == texts::kProgramFlashOk, "Program did not succeed");
    }
    return {commands, sleeps, Median(std::move(milliseconds))};
}

// How late the machine wakes from sleeps like Program's: the lateness of
// count real sleeps of 4 ms in all, in milliseconds.
double WakeUpLateness(std::uint32_t count)
{
    BenchHost host(SleepMode::Real);
    for (std::uint32_t i = 0; i < count; ++i)
        host.Sleep(4);
    return static_cast<double>(host.SleepOvershootMicroseconds()) / 1000;
}

// One forced redraw of the bar on the display at hand as Program meets it,
// right after a 4 ms sleep: SetPos moving the fill edge, median over many,
// in microseconds.
double ForcedRedrawMicroseconds(DialogRig& rig)
{
    CBrovikDlg& dlg = rig.Dialog();
    dlg.m_progress.SetRange(0, 100);
    std::vector<double> microseconds;
    for (int redraw = 0; redraw < 200; ++redraw) {
        rig.host.Sleep(4);
        const SteadyClock::time_point start = SteadyClock::now();
        dlg.m_progress.SetPos(redraw % 2 == 0 ? 40 : 60);
        microseconds.push_back(MicrosecondsSince(start));
    }
    return Median(std::move(microseconds));
}

// The bit clock measured during the run itself. BitDelay's countdown runs at
// a speed that can change by a factor of two within a second on a shared
// machine, so a measurement beside the run can be off by a percent of the
// whole. A few calls are timed at the start of each sleep, where they cost
// Program nothing.
class BitClockDuringRun {
public:
    explicit BitClockDuringRun(CBrovikDlg& dlg) : m_dlg(dlg) {}

    void Sample()
    {
        const SteadyClock::time_point start = SteadyClock::now();
        for (int call = 0; call < kCallsPerSample; ++call)
            m_dlg.BitDelay();
        m_perCall.push_back(MicrosecondsSince(start) / kCallsPerSample);
    }

    // The mean over the samples without the slowest 2 %, which the
    // scheduler interrupted; dropping them only lowers the floor.
    double PerCommandMicroseconds() const
    {
        std::vector<double> perCall = m_perCall;
        Require(!perCall.empty(), "no sleep sampled the bit clock");
        std::sort(perCall.begin(), perCall.end());
        perCall.resize(perCall.size() - perCall.size() / 50);
        double sum = 0;
        for (const double value : perCall)
            sum += value;
        return kBitDelayCallsPerCommand * sum / static_cast<double>(perCall.size());
    }

private:
    static constexpr int kCallsPerSample = 4;
    CBrovikDlg& m_dlg;
    std::vector<double> m_perCall;
};

struct ScreenRun {
    double wallMilliseconds;     // from the key press to the end of Program
    double floorMilliseconds;    // sleeps + bit clock + the machine's wake-up lateness
    double bitClockMilliseconds; // of Program's ISP commands, measured during the run
    double latenessMilliseconds; // of as many 4 ms sleeps as Program makes
    double ownLatenessMilliseconds;
    std::uint32_t sleeps;
    double redrawMicroseconds;   // one forced redraw of the bar after a sleep
};

// Program at delays 1 in the main dialog shown on the display at hand, as a
// user starts it: Enter on the focused "Program" button.
ScreenRun ProgramFromTheKeyboard(const RecordedProgram& recorded)
{
    DialogRig rig(SleepMode::Real);
    CBrovikDlg& dlg = rig.Dialog();
    LoadPattern(dlg);
    dlg.m_delayBit = 1;
    dlg.m_delayByte = 1;
    QWidget* program = fw::WidgetOf(dlg.GetDlgItemHandle(IDC_PROGRAM));
    // The key goes where the user's would: to the focus of the active window.
    QWidget* window = program->window();
    window->activateWindow();
    for (int wait = 0; wait < 500 && !window->isActiveWindow(); ++wait)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    program->setFocus();
    QCoreApplication::processEvents();
    Require(QApplication::focusWidget() == program, "the Program button did not take the focus");

    // Half the machine's lateness is measured before and half after, so that
    // a machine growing busier or calmer meanwhile does not skew the floor.
    const double latenessBefore = WakeUpLateness(recorded.sleeps / 2);
    rig.host.ResetSleepTotals();
    BitClockDuringRun bitClock(dlg);
    rig.host.DuringEachSleep([&] { bitClock.Sample(); });
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    const SteadyClock::time_point start = SteadyClock::now();
    QCoreApplication::sendEvent(program, &press);
    const double wall = MicrosecondsSince(start) / 1000;
    rig.host.DuringEachSleep(nullptr);
    Require(rig.host.boxes.empty() && dlg.m_progress.GetWindowText() == texts::kProgramFlashOk, "Program did not succeed");
    Require(rig.host.PrescribedSleepMilliseconds() == kPrescribedMilliseconds,
            "Program asked for other sleeps than expected");
    const std::uint32_t sleeps = rig.host.SleepCount();
    Require(sleeps == recorded.sleeps, "Program slept other times than without a display");
    const double ownLateness = static_cast<double>(rig.host.SleepOvershootMicroseconds()) / 1000;

    const double redraw = ForcedRedrawMicroseconds(rig);
    const double lateness = latenessBefore + WakeUpLateness(sleeps - sleeps / 2);
    const double bitClockMilliseconds = static_cast<double>(recorded.commands) * bitClock.PerCommandMicroseconds() / 1000;
    const double floor = static_cast<double>(kPrescribedMilliseconds) + bitClockMilliseconds + lateness;
    return {wall, floor, bitClockMilliseconds, lateness, ownLateness, sleeps, redraw};
}

} // namespace

void MeasureProgramOnScreen(Report& report, int runs)
{
    const RecordedProgram recorded = ProgramWithoutWaiting();
    std::vector<double> ratios;
    for (int run = 1; run <= runs; ++run) {
        std::cerr << "Program from the keyboard on " << QGuiApplication::platformName().toStdString() << ", run " << run
                  << " of " << runs << " (about 11 s)...\n";
        const ScreenRun r = ProgramFromTheKeyboard(recorded);
        const double ratio = r.wallMilliseconds / r.floorMilliseconds;
        ratios.push_back(ratio);
        report.Add(Format("run %d: key press to end / floor", run),
                   Format("%.1f ms / %.1f ms = %.4f; floor = %llu ms sleeps + %.1f ms bit clock + %.1f ms lateness of "
                          "%u sleeps of 4 ms (Program's own sleeps: %.1f ms late); one forced redraw of the bar after a "
                          "sleep %.0f µs",
                          r.wallMilliseconds, r.floorMilliseconds, ratio,
                          static_cast<unsigned long long>(kPrescribedMilliseconds), r.bitClockMilliseconds, r.latenessMilliseconds,
                          r.sleeps, r.ownLatenessMilliseconds, r.redrawMicroseconds));
    }
    const double median = Median(ratios);
    report.AddWithTarget(Format("Program %u bytes at delays 1 from the keyboard, dialog on %s at device pixel ratio "
                                "%.0f (%zu ISP commands): key press to end / floor, median of %d runs",
                                kBytes, QGuiApplication::platformName().toStdString().c_str(),
                                qApp->devicePixelRatio(), recorded.commands, runs),
                         Format("%.4f (runs %.4f to %.4f)", median, *std::min_element(ratios.begin(), ratios.end()),
                                *std::max_element(ratios.begin(), ratios.end())),
                         Format("<= %.2f", kRatioTarget), median <= kRatioTarget);
}

void MeasureProgramTiming(Report& report, const LinkCosts& link)
{
    const auto prescribed = static_cast<double>(kPrescribedMilliseconds);
    const ProgramRun atBitDelay0 = ProgramForReal(0);
    const double ratio = atBitDelay0.wallMilliseconds / prescribed;
    const double overhead = atBitDelay0.wallMilliseconds - prescribed;
    report.AddWithTarget(Format("Program %u bytes, byte delay 1, bit delay 0, real sleeps: wall time / prescribed "
                                "sleeps (%.0f ms)",
                                kBytes, prescribed),
                         Format("%.1f ms / %.0f ms = %.4f; overhead %.1f ms: %u sleeps ending %.1f ms late in all "
                                "(%.0f µs each), %.1f ms work between them",
                                atBitDelay0.wallMilliseconds, prescribed, ratio, overhead, atBitDelay0.sleeps,
                                atBitDelay0.overshootMilliseconds,
                                atBitDelay0.overshootMilliseconds * 1000 / atBitDelay0.sleeps,
                                overhead - atBitDelay0.overshootMilliseconds),
                         Format("<= %.2f", kRatioTarget), ratio <= kRatioTarget);

    const RecordedProgram recorded = ProgramWithoutWaiting();
    report.Add(Format("the same Program with recorded sleeps: its work alone (%zu ISP commands)", recorded.commands),
               Format("%.1f ms", recorded.medianMilliseconds));

    const ProgramRun atBitDelay1 = ProgramForReal(1);
    const std::size_t commands = recorded.commands;
    const double bitClock = static_cast<double>(commands) * link.bitClockAtOneMicroseconds / 1000;
    report.Add(Format("Program %u bytes, byte delay 1, bit delay 1, real sleeps (%zu ISP commands)", kBytes, commands),
               Format("%.1f ms = %.0f ms sleeps + %.1f ms bit clock (its cost in SendCommand) + %.1f ms rest",
                      atBitDelay1.wallMilliseconds, prescribed, bitClock,
                      atBitDelay1.wallMilliseconds - prescribed - bitClock));
}

} // namespace bench
