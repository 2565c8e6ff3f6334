// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/DialogRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <stdexcept>

#include "app/Brovik.h"
#include "framework/QtBridge.h"

namespace bench {
namespace {

constexpr std::size_t kBitsPerCommand = 24;

fw::IClock& ChipClock(SleepMode mode, BenchHost& host, fw::IClock& monotonic)
{
    return mode == SleepMode::Real ? monotonic : static_cast<fw::IClock&>(host);
}

// Forced redraws paint only a window that is on the (offscreen) screen.
void WaitUntilExposed(QWidget* window)
{
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed())) {
        Require(waited.elapsed() < 5000, "the dialog window was never exposed");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
}

} // namespace

void Require(bool condition, const char* what)
{
    if (!condition)
        throw std::runtime_error(what);
}

DialogRig::DialogRig(SleepMode mode, const sim::ChipContents& contents)
    : host(mode),
      m_rig(ChipClock(mode, host, m_monotonicClock), std::span<const std::uint16_t>(&kLpt1, 1), contents),
      m_setup(SetUpBrovik(host)),
      chip(m_rig.chip),
      simPort(m_rig.port)
{
    host.SetPort(simPort);
    host.WriteProfileInt("BROVIK", "LPT PORT", 1);
    host.WriteProfileInt("BROVIK", "DELAY BIT", 1);
    host.WriteProfileInt("BROVIK", "DELAY BYTE", 1);
    m_dialog = std::make_unique<CBrovikDlg>();
    theApp.m_pMainWnd = m_dialog.get();
    Require(m_dialog->Create(), "the main dialog could not be created");
    WaitUntilExposed(fw::WidgetOf(m_dialog->m_hWnd));
}

DialogRig::~DialogRig()
{
    m_dialog.reset();
    theApp.m_pMainWnd = nullptr;
}

std::size_t DialogRig::CommandsSentBy(const std::function<void()>& operation)
{
    std::size_t risingEdges = 0;
    bool sckWasHigh = simPort.PinLevel(sim::Adapter::kSckPin);
    chip.SetPinObserver([&](const sim::PinLevels& pins) {
        if (pins.sck && !sckWasHigh && !pins.resetControl)
            ++risingEdges;
        sckWasHigh = pins.sck;
    });
    operation();
    chip.SetPinObserver({});
    // Releasing the target raises SCK once more, short of a whole command.
    return risingEdges / kBitsPerCommand;
}

} // namespace bench
