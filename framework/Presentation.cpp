#include "framework/Presentation.h"

#include <QCoreApplication>
#include <QEvent>

#include <limits>

#include "framework/Host.h"
#include "framework/Sleep.h"

namespace fw {
namespace {

std::int64_t g_lastPresented = std::numeric_limits<std::int64_t>::min() / 2;

} // namespace

void PresentPaints()
{
    g_lastPresented = CurrentHost().NowMicroseconds();
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
