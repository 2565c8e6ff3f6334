// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Presentation.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "framework/Host.h"
#include "framework/Sleep.h"
#include "framework/WindowImpl.h"

namespace fw {
namespace {

std::int64_t g_lastPresented = std::numeric_limits<std::int64_t>::min() / 2;
std::vector<QWidget*> g_waiting;  // widgets whose pictures wait for their repaint request

void RequestWaitingRepaints()
{
    for (QWidget* widget : std::exchange(g_waiting, {}))
        widget->update();
}

// The requests are also made when the thread's event loop is about to wait,
// so that a picture painted outside an operation is not left waiting.
void RequestBeforeTheLoopWaits()
{
    static QAbstractEventDispatcher* connectedTo = nullptr;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || dispatcher == connectedTo)
        return;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &RequestWaitingRepaints);
    connectedTo = dispatcher;
}

} // namespace

void PresentLater(QWidget* widget)
{
    RequestBeforeTheLoopWaits();
    if (std::find(g_waiting.begin(), g_waiting.end(), widget) == g_waiting.end())
        g_waiting.push_back(widget);
}

void WithdrawPresentation(QWidget* widget) { std::erase(g_waiting, widget); }

void PresentPaints()
{
    g_lastPresented = CurrentHost().NowMicroseconds();
    RequestWaitingRepaints();
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

void PresentIfFrameDue()
{
    if (CurrentHost().NowMicroseconds() - g_lastPresented >= kFrameMicroseconds)
        PresentPaints();
}

void SleepPresenting(std::uint32_t ms)
{
    SleepPresentingUntil(MonotonicMicroseconds() + std::int64_t{ms} * 1000);
}

void SleepPresentingUntil(std::int64_t deadline)
{
    PresentPaints();
    while (!SleepUntil(deadline)) {
    }
}

} // namespace fw
