// SPDX-License-Identifier: GPL-2.0-or-later
// The dialogs on a real Wayland compositor (scripts/wayland-check.sh runs
// this suite under a headless weston; elsewhere it is skipped): no
// decoration from the toolkit, whose title bar would offer a maximise
// button, but the dialog's own caption with only the boxes its style has; a
// press on the close box closes; and no Move in the system menu, which
// Wayland could not carry out.
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "app/AboutDlg.h"
#include "framework/Menu.h"
#include "framework/QtBridge.h"
#include "framework/Window.h"
#include "tests/support/MainDialogFixture.h"

namespace {

class WaylandDecoration : public test::MainDialogTest {
protected:
    void SetUp() override
    {
        if (!QGuiApplication::platformName().startsWith("wayland"))
            GTEST_SKIP() << "needs a Wayland compositor (platform is " << QGuiApplication::platformName().toStdString()
                         << "); scripts/wayland-check.sh runs it under weston";
    }

    // The runs of the button face colour, wider than half the caption's
    // height, along a row of the caption above the buttons' glyphs, as the
    // window draws itself: one run per caption button.
    static std::vector<int> CaptionButtonWidths(QWidget* window, int captionHeight)
    {
        const QImage picture = window->grab().toImage();
        const QRgb face = window->palette().color(QPalette::Button).rgb();
        std::vector<int> runs;
        int run = 0;
        const int row = captionHeight / 5;
        for (int x = 0; x <= picture.width(); ++x) {
            if (x < picture.width() && picture.pixel(x, row) == face) {
                ++run;
                continue;
            }
            if (run > captionHeight / 2)
                runs.push_back(run);
            run = 0;
        }
        return runs;
    }
};

TEST_F(WaylandDecoration, TheMainDialogDrawsItsOwnCaptionWithMinimiseAndCloseOnly)
{
    Start();
    QWidget* window = fw::WidgetOf(dlg->m_hWnd);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::FramelessWindowHint);
    // The toolkit's decoration would add its margins around the window.
    EXPECT_EQ(window->windowHandle()->frameMargins(), QMargins());
    EXPECT_EQ(window->frameGeometry().size(), window->size());

    CRect client;
    dlg->GetClientRect(&client);
    const int captionHeight = window->height() - client.Height();
    EXPECT_GT(captionHeight, 10);
    const std::vector<int> buttons = CaptionButtonWidths(window, captionHeight);
    ASSERT_EQ(buttons.size(), 2u) << "minimise and close, and nothing else";

    std::vector<UINT> offered;
    for (const CMenu::Item& item : fw::window::OfferedSystemMenu(dlg->m_hWnd))
        offered.push_back(item.id);
    EXPECT_EQ(std::count(offered.begin(), offered.end(), SC_MOVE), 0);
    EXPECT_EQ(std::count(offered.begin(), offered.end(), SC_CLOSE), 1);

    // A click on the close box, the rightmost, ends the dialog as the close
    // box does.
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                      QPoint(window->width() - 3 - buttons.back() / 2, captionHeight / 2));
    EXPECT_TRUE(dlg->HasEnded());
}

TEST_F(WaylandDecoration, TheAboutBoxHasOnlyItsCloseBox)
{
    Start();
    CAboutDlg about;
    ASSERT_TRUE(about.Create(dlg.get()));
    QWidget* window = fw::WidgetOf(about.m_hWnd);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    CRect client;
    about.GetClientRect(&client);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::FramelessWindowHint);
    EXPECT_EQ(CaptionButtonWidths(window, window->height() - client.Height()).size(), 1u);
}

} // namespace
