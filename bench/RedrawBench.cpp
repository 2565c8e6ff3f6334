// SPDX-License-Identifier: GPL-2.0-or-later
// The bar's paints that reach the screen during an 8192-byte operation,
// against the bar's width in pixels. Forced redraws run WM_PAINT at once (one
// per new pixel of fill, as the ui tests count) into the bar's own picture;
// the screen gets it at the next wait or frame, which these operations,
// without waits and on the recorded clock, reach only at their start.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstring>
#include <functional>
#include <iostream>

#include "bench/Benchmarks.h"
#include "bench/DialogRig.h"
#include "framework/QtBridge.h"

namespace bench {
namespace {

class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    ~PaintCounter() override { m_widget->removeEventFilter(this); }

    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_widget && event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

private:
    QWidget* m_widget;
};

void CountRedraws(Report& report, const char* name, const std::function<int(CBrovikDlg&)>& operation)
{
    std::cerr << "Counting the bar's paints during " << name << "...\n";
    DialogRig rig(SleepMode::Recorded);
    CBrovikDlg& dlg = rig.Dialog();
    dlg.m_delayBit = 0;
    std::memset(dlg.m_image, sim::kErasedByte, sizeof dlg.m_image);
    dlg.m_lastAddress = CBrovikDlg::kImageSize - 1;

    QWidget* bar = fw::WidgetOf(dlg.m_progress.m_hWnd);
    CRect client;
    dlg.m_progress.GetClientRect(&client);
    Require(bar && bar->width() == client.Width(), "the bar's widget is not its client area");
    QCoreApplication::processEvents();

    PaintCounter counter(bar);
    Require(operation(dlg) == 1, "the operation failed");
    const int during = counter.paints;
    // The paint that the last status text asked for runs once the event loop does.
    QCoreApplication::processEvents();
    const int total = counter.paints;
    Require(during > 0, "no paint reached the bar while the operation ran");

    const int target = client.Width() + 2;
    report.AddWithTarget(Format("paints of the bar on the screen during %s of %u bytes (bar %d px wide)", name,
                                CBrovikDlg::kImageSize, client.Width()),
                         Format("%d while it ran, %d in all", during, total), Format("<= %d", target),
                         total <= target);
}

} // namespace

void MeasureRedraws(Report& report)
{
    CountRedraws(report, "Blank Check", [](CBrovikDlg& dlg) { return dlg.OnBlank(); });
    CountRedraws(report, "Verify", [](CBrovikDlg& dlg) { return dlg.OnVerify(); });
}

} // namespace bench
