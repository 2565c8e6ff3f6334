// SPDX-License-Identifier: GPL-2.0-or-later
// What the text progress control paints, looked at pixel by pixel: the fill,
// the text and its two colours, and what the screen shows while the thread
// stays busy.
#include <QApplication>
#include <QColor>
#include <QEventLoop>
#include <QPalette>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "framework/Gdi.h"
#include "tests/ui/ProgressFixture.h"

namespace uitest {
namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 24;  // leaves rows above and below the text free of ink
const QRgb kBarPixel = ToQRgb(kBar);
const QRgb kBackgroundPixel = ToQRgb(kBackground);

class TextProgressPaint : public ProgressFixture {
protected:
    void SetUp() override
    {
        ProgressFixture::SetUp();
        AttachTo(kBarId);
        ResizeClient(kWidth, kHeight);
        UseFixedColours();
    }

    // The control's picture with the text set to text instead.
    QImage RenderWithText(const std::string& text)
    {
        progress.SetWindowText(text);
        return Render();
    }
};

TEST_F(TextProgressPaint, StartShowsZeroPercentCentredOverTheEmptyBar)
{
    const QImage start = Render();

    QRect ink;
    int darkest = 255;
    for (int y = 0; y < start.height(); ++y) {
        for (int x = 0; x < start.width(); ++x) {
            const QRgb pixel = start.pixel(x, y);
            ASSERT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel))
                << "only the bar colour over the background: " << std::hex << pixel;
            if (pixel != kBackgroundPixel)
                ink |= QRect(x, y, 1, 1);
            darkest = std::min(darkest, qGreen(pixel));
        }
    }
    ASSERT_FALSE(ink.isEmpty()) << "a percentage is drawn";
    EXPECT_LT(darkest, 80) << "the text is in the bar colour, black";
    EXPECT_NEAR(ink.left() + ink.width() / 2.0, kWidth / 2.0, 2.0);
    EXPECT_NEAR(ink.top() + ink.height() / 2.0, kHeight / 2.0, 2.0);
    EXPECT_TRUE(RowSplitsAt(start, 0, 0, kBarPixel, kBackgroundPixel));

    EXPECT_EQ(start, RenderWithText("0%")) << "the text is 0%, not the template's caption";
}

struct FillCase {
    const char* name;
    std::function<void(CTextProgressCtrl&)> reach;
    int filledColumns;
    const char* shownText;
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

class FillAndPercentage : public TextProgressPaint, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillAndPercentage, FillWidthAndPercentageFollowTheFillFraction)
{
    GetParam().reach(progress);
    const QImage picture = Render();

    EXPECT_TRUE(RowSplitsAt(picture, 0, GetParam().filledColumns, kBarPixel, kBackgroundPixel));
    EXPECT_TRUE(RowSplitsAt(picture, kHeight - 1, GetParam().filledColumns, kBarPixel, kBackgroundPixel));
    EXPECT_EQ(picture, RenderWithText(GetParam().shownText));
}

INSTANTIATE_TEST_SUITE_P(
    TextProgressPaint, FillAndPercentage,
    ::testing::Values(
        // 0.29 in double precision is just below 0.29: 57.99.. px and 28.99.. %.
        FillCase{"Pos29Of100", [](CTextProgressCtrl& c) { c.SetPos(29); }, 57, "28%"},
        FillCase{"Half", [](CTextProgressCtrl& c) { c.SetPos(50); }, 100, "50%"},
        FillCase{"FlashHalfway",
                 [](CTextProgressCtrl& c) {
                     c.SetRange(0, 8192);
                     c.SetPos(4097);
                 },
                 100, "50%"},
        FillCase{"StepPastTheMaximum",
                 [](CTextProgressCtrl& c) {
                     c.SetPos(100);
                     c.StepIt();
                 },
                 kWidth, "101%"},
        FillCase{"BelowTheMinimum", [](CTextProgressCtrl& c) { c.SetPos(-10); }, 0, "-10%"},
        FillCase{"NegativeRange",
                 [](CTextProgressCtrl& c) {
                     c.SetRange32(-300, -100);
                     c.SetPos(-150);
                 },
                 150, "75%"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextProgressPaint, PercentageTextReadsDifferentlyForADifferentPosition)
{
    progress.SetPos(29);
    const QImage percentage = Render();
    EXPECT_NE(percentage, RenderWithText("29%")) << "the pictures tell the percentages apart";
}

// Ink of a text drawn in pure red over white: 0 where there is none, 1 where
// a pixel is fully covered.
double Ink(QRgb overWhite) { return 1.0 - qGreen(overWhite) / 255.0; }

// At a device pixel ratio of 1 and of 2 (a screen scaled by 2): the text
// changes colour at the fill edge's logical place, in device pixels.
class StatusTextEdge : public TextProgressPaint, public ::testing::WithParamInterface<int> {};

TEST_P(StatusTextEdge, StatusTextChangesColourExactlyAtTheFillEdge)
{
    const int ratio = GetParam();
    const int width = kWidth * ratio;
    const int height = kHeight * ratio;
    const std::string status = "Programming flash memory";
    progress.SetWindowText(status);
    progress.SetRange(0, kWidth);  // one position per logical pixel
    progress.SetTextColor(RGB(255, 0, 0));
    const QImage inkOnly = RenderAtRatio(ratio);
    ASSERT_EQ(inkOnly.size(), QSize(width, height));

    // Put the edge where both device columns beside it carry solid ink.
    auto solidInColumn = [&](int x) {
        for (int y = 0; y < height; ++y)
            if (Ink(inkOnly.pixel(x, y)) > 0.75)
                return true;
        return false;
    };
    int edge = kWidth / 2;
    while (edge < kWidth - 1 && !(solidInColumn(edge * ratio - 1) && solidInColumn(edge * ratio)))
        ++edge;
    ASSERT_LT(edge, kWidth - 1) << "the status text has ink to the right of the centre";

    progress.SetTextColor(CLR_DEFAULT);
    progress.SetPos(edge);
    const QImage split = RenderAtRatio(ratio);

    int solidLeft = 0;
    int solidRight = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double ink = Ink(inkOnly.pixel(x, y));
            const int grey = qGreen(split.pixel(x, y));
            const bool filled = x < edge * ratio;
            if (ink == 0.0) {
                ASSERT_EQ(split.pixel(x, y), filled ? kBarPixel : kBackgroundPixel) << x << "," << y;
            } else if (ink > 0.75) {
                // Over the fill in the background colour, over the rest in the bar colour.
                EXPECT_EQ(filled, grey > 127) << x << "," << y << " grey " << grey;
                ++(filled ? solidLeft : solidRight);
            }
        }
    }
    EXPECT_GT(solidLeft, 0);
    EXPECT_GT(solidRight, 0);
}

INSTANTIATE_TEST_SUITE_P(DevicePixelRatio, StatusTextEdge, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) { return "Ratio" + std::to_string(info.param); });

TEST_F(TextProgressPaint, AtRatio2TheTextIsDrawnAtFullResolutionNotBlownUp)
{
    progress.SetRange(0, kWidth);
    progress.SetPos(kWidth / 2);
    progress.SetWindowText("Programming flash memory");
    const QImage sharp = RenderAtRatio(2);
    ASSERT_EQ(sharp.size(), QSize(2 * kWidth, 2 * kHeight));

    // A picture drawn at half resolution and doubled is its own half-size
    // copy doubled again; real detail at full resolution is not.
    const QImage doubled = sharp.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                               .scaled(2 * kWidth, 2 * kHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    int differing = 0;
    for (int y = 0; y < sharp.height(); ++y)
        for (int x = 0; x < sharp.width(); ++x)
            differing += sharp.pixel(x, y) != doubled.pixel(x, y);
    EXPECT_GT(differing, 20) << "the text has detail finer than two device pixels";
    // The fill edge sits at the same logical place: device column 2 * 100.
    EXPECT_TRUE(RowSplitsAt(sharp, 0, kWidth, kBarPixel, kBackgroundPixel));
    EXPECT_TRUE(RowSplitsAt(sharp, 2 * kHeight - 1, kWidth, kBarPixel, kBackgroundPixel));
}

TEST_F(TextProgressPaint, ATextColourOfItsOwnPaintsBothHalves)
{
    progress.SetWindowText("Verify Ok");
    progress.SetPos(50);
    progress.SetTextColor(RGB(255, 0, 0));
    const QImage picture = Render();

    int redLeft = 0;
    int redRight = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (x < kWidth / 2)
                ASSERT_TRUE(qGreen(pixel) == 0 && qBlue(pixel) == 0) << "red over black only, " << x << "," << y;
            else
                ASSERT_EQ(qRed(pixel), 255) << "red over white only, " << x << "," << y;
            if (qRed(pixel) > 200 && qGreen(pixel) < 55)
                ++(x < kWidth / 2 ? redLeft : redRight);
        }
    }
    EXPECT_GT(redLeft, 0);
    EXPECT_GT(redRight, 0);
}

TEST_F(TextProgressPaint, WithoutTextOnlyTheTwoRectanglesAreDrawn)
{
    progress.SetWindowText("Erase Ok");
    progress.SetShowText(FALSE);
    const struct {
        int pos;
        int filledColumns;
    } cases[] = {{0, 0}, {25, 50}, {29, 57}, {100, kWidth}, {250, kWidth}};
    for (const auto& c : cases) {
        progress.SetPos(c.pos);
        const QImage picture = Render();
        for (int y = 0; y < kHeight; ++y)
            ASSERT_TRUE(RowSplitsAt(picture, y, c.filledColumns, kBarPixel, kBackgroundPixel)) << "position " << c.pos;
    }
}

TEST_F(TextProgressPaint, AnEmptyOrReversedRangeDrawsNothing)
{
    progress.SetRange(40, 40);
    EXPECT_EQ(ColoursIn(Render()), std::set<QRgb>{kUntouched});
    progress.SetRange32(80, 20);
    progress.SetPos(50);
    EXPECT_EQ(ColoursIn(Render()), std::set<QRgb>{kUntouched});
}

TEST_F(TextProgressPaint, APartialRepaintPaintsItsPartInPlaceAndNothingElse)
{
    progress.SetWindowText("Blank check");
    progress.SetPos(47);
    const QImage whole = Render();
    const QRect part(83, 7, 30, 9);  // straddles the fill edge and the text
    const QImage partial = Render(part);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_EQ(partial.pixel(x, y), part.contains(x, y) ? whole.pixel(x, y) : kUntouched) << x << "," << y;
}

TEST_F(TextProgressPaint, DefaultColoursAreTheDesktopsHighlightAndBase)
{
    const QPalette original = QApplication::palette();
    QPalette desktop = original;
    desktop.setColor(QPalette::Highlight, QColor(10, 120, 30));
    desktop.setColor(QPalette::Base, QColor(250, 240, 200));
    QApplication::setPalette(desktop);

    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 120, 30));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(250, 240, 200));
    progress.SetBarColor(CLR_DEFAULT);
    progress.SetBkColor(CLR_DEFAULT);
    progress.SetShowText(FALSE);
    progress.SetPos(50);
    const QImage picture = Render();
    QApplication::setPalette(original);

    for (int y = 0; y < kHeight; ++y)
        ASSERT_TRUE(RowSplitsAt(picture, y, kWidth / 2, qRgb(10, 120, 30), qRgb(250, 240, 200)));
}

class VerticalProgressPaint : public ProgressFixture {
protected:
    void SetUp() override
    {
        ProgressFixture::SetUp();
        AttachTo(kVerticalBarId);
        ResizeClient(20, 100);
        UseFixedColours();
    }
};

TEST_F(VerticalProgressPaint, FillsFromTheBottomWithoutText)
{
    progress.SetWindowText("Erase Ok");
    const struct {
        int pos;
        int filledRows;
    } cases[] = {{0, 0}, {29, 28}, {100, 100}};
    for (const auto& c : cases) {
        progress.SetPos(c.pos);
        const QImage picture = Render();
        for (int x = 0; x < picture.width(); ++x)
            ASSERT_TRUE(ColumnSplitsAt(picture, x, 100 - c.filledRows, kBackgroundPixel, kBarPixel)) << "position " << c.pos;
    }
}

// A busy operation waits (a host sleep) after every step; the screen must
// show each forced paint by then, and never fall more than a frame behind.
class ScreenWhileBusy : public TextProgressPaint {
protected:
    static constexpr std::uint32_t kStepWaitMs = 4;
};

TEST_F(ScreenWhileBusy, AChangedFillIsPaintedAtOnceAndOnTheScreenByTheNextWait)
{
    progress.SetRange(0, 1);
    progress.SetPos(0);
    host.Sleep(kStepWaitMs);
    ASSERT_TRUE(RowSplitsAt(Screen(), 0, 0, kBarPixel, kBackgroundPixel));

    const int before = progress.paints;
    progress.StepIt();
    EXPECT_EQ(progress.paints, before + 1) << "WM_PAINT runs before StepIt returns";
    host.Sleep(kStepWaitMs);
    EXPECT_EQ(progress.paints, before + 1) << "showing the picture paints nothing again";
    EXPECT_TRUE(RowSplitsAt(Screen(), 0, kWidth, kBarPixel, kBackgroundPixel));
    EXPECT_EQ(Screen(), Render()) << "the screen shows the whole new picture";
}

TEST_F(ScreenWhileBusy, WithoutWaitsTheScreenFallsAtMostAFrameBehind)
{
    progress.SetRange(0, kWidth);
    progress.SetPos(1);
    host.Sleep(kStepWaitMs);

    progress.SetPos(2);
    const QImage withinTheFrame = Screen();
    EXPECT_TRUE(RowSplitsAt(withinTheFrame, 0, 1, kBarPixel, kBackgroundPixel)) << "handed over at the next wait";

    host.PassTime(17);
    progress.SetPos(3);
    EXPECT_TRUE(RowSplitsAt(Screen(), 0, 3, kBarPixel, kBackgroundPixel)) << "a frame passed: shown at once";
}

TEST_F(ScreenWhileBusy, APictureForcedOutsideAnOperationShowsOnceTheEventLoopWaits)
{
    progress.SetRange(0, kWidth);
    progress.SetPos(10);
    host.Sleep(kStepWaitMs);

    progress.SetPos(20);
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(RowSplitsAt(Screen(), 0, 20, kBarPixel, kBackgroundPixel));
}

TEST_F(ScreenWhileBusy, AnInvalidatedPictureIsPaintedAgainForTheScreen)
{
    progress.SetRange(0, kWidth);
    progress.SetPos(10);
    progress.SetWindowText("Programming");
    host.Sleep(kStepWaitMs);
    EXPECT_EQ(Screen(), RenderWithText("Programming")) << "the text set after the forced paint is not lost";
}

TEST_F(ScreenWhileBusy, ANewStatusTextShowsWithTheNextChangeOfTheFill)
{
    progress.SetRange(0, kWidth);
    progress.SetPos(10);
    host.Sleep(kStepWaitMs);
    const QImage before = Screen();

    progress.SetWindowText("Programming");
    EXPECT_EQ(Screen(), before) << "a text only requests a repaint";
    progress.SetPos(10);
    EXPECT_EQ(Screen(), before) << "the same fill forces nothing";

    progress.SetPos(11);
    host.Sleep(kStepWaitMs);
    const QImage after = Screen();
    EXPECT_TRUE(RowSplitsAt(after, 0, 11, kBarPixel, kBackgroundPixel));
    EXPECT_EQ(after, RenderWithText("Programming"));
}

} // namespace
} // namespace uitest
