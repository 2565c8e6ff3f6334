// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A small dialog holding a horizontal and a vertical progress bar, the text
// progress control attached to one of them, and ways to look at its pixels:
// rendered through its real WM_PAINT, or as the screen shows it right now.
#include <QImage>
#include <QRect>
#include <QRgb>

#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "tests/support/TestHost.h"
#include "ui/TextProgressCtrl.h"

class QWidget;

namespace uitest {

inline constexpr int kBarId = 100;          // horizontal, as wide as the main dialog's bar
inline constexpr int kVerticalBarId = 101;  // PBS_VERTICAL, taller than wide

// Fixed colours for exact pixel checks, and one the control never draws.
inline constexpr COLORREF kBar = RGB(0, 0, 0);
inline constexpr COLORREF kBackground = RGB(255, 255, 255);
inline constexpr QRgb kUntouched = qRgb(1, 2, 3);

QRgb ToQRgb(COLORREF colour);
std::set<QRgb> ColoursIn(const QImage& image);
// Row y holds left in the columns before edge and right from edge on.
::testing::AssertionResult RowSplitsAt(const QImage& image, int y, int edge, QRgb left, QRgb right);
// Column x holds top in the rows before edge and bottom from edge on.
::testing::AssertionResult ColumnSplitsAt(const QImage& image, int x, int edge, QRgb top, QRgb bottom);

// Counts the paints that reach the control.
class CountingProgressCtrl final : public CTextProgressCtrl {
public:
    int paints = 0;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class ProgressFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Attaches the control to the bar with this id.
    void AttachTo(int id);
    QWidget* Client() const;
    void ResizeClient(int width, int height);
    // Paints region of the client (all of it when empty) through WM_PAINT
    // onto an image filled with kUntouched; the image covers the client.
    QImage Render(const QRect& region = {});
    // The whole client painted through WM_PAINT onto an image of ratio
    // device pixels per logical pixel, as a scaled screen paints it.
    QImage RenderAtRatio(int ratio);
    // What the screen shows of the client, without handling any event.
    QImage Screen();
    // Lets requested repaints happen.
    void HandleEvents();
    void UseFixedColours();

    test::TestHost host;
    CountingProgressCtrl progress;

private:
    class Resources;
    std::unique_ptr<ResourceTable> m_resources;
    std::optional<fw::Setup> m_setup;
    std::unique_ptr<CDialog> m_dialog;
};

} // namespace uitest
