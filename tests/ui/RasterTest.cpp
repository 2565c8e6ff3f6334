// SPDX-License-Identifier: GPL-2.0-or-later
// Drawing straight on pixels against Qt's own raster engine drawing the same:
// every pixel must match, at the images' edges and under clips too.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "framework/Dc.h"
#include "framework/Gdi.h"
#include "framework/GdiImpl.h"
#include "framework/Raster.h"

namespace {

constexpr int kSize = 24;

// Every pixel different, so that a copy or blend from the wrong place shows.
QImage Pattern(QImage::Format format)
{
    QImage image(kSize, kSize, format);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            image.setPixel(x, y, qRgb(x * 10, y * 10, (x * 7 + y * 3) % 256));
    return image;
}

// Premultiplied ink of every opacity from none to full.
QImage Ink()
{
    QImage ink(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const int alpha = std::min(255, (y * kSize + x) * 255 / (kSize * kSize - 8));
            ink.setPixel(x, y, qPremultiply(qRgba(200, (x * 11) % 256, 40, alpha)));
        }
    }
    return ink;
}

struct PlaceCase {
    const char* name;
    QPoint at;   // where the drawing lands
    QRect clip;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

const PlaceCase kPlaces[] = {
    {"Inside", {3, 4}, {0, 0, kSize, kSize}},
    {"PastTheBottomRight", {10, 15}, {0, 0, kSize, kSize}},
    {"BeforeTheTopLeft", {-6, -9}, {0, 0, kSize, kSize}},
    {"UnderAClip", {2, 1}, {5, 3, 9, 12}},
    {"ClippedToNothing", {2, 1}, {}},
};

class RasterAgainstPainter : public ::testing::TestWithParam<PlaceCase> {
protected:
    QImage target = Pattern(QImage::Format_RGB32);
    QImage expected = target.copy();

    QPainter& Reference()
    {
        m_painter.begin(&expected);
        m_painter.setClipRect(GetParam().clip);
        return m_painter;
    }
    void ExpectSamePixels()
    {
        m_painter.end();
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                ASSERT_EQ(target.pixel(x, y), expected.pixel(x, y)) << "at " << x << "," << y;
    }

private:
    QPainter m_painter;
};

TEST_P(RasterAgainstPainter, Fill)
{
    const QRect area(GetParam().at, QSize(9, 7));
    fw::raster::Fill(target, area, qRgb(0, 120, 255), GetParam().clip);
    Reference().fillRect(area, QColor(0, 120, 255));
    ExpectSamePixels();
}

TEST_P(RasterAgainstPainter, CopyOfABlockReachingPastItsSource)
{
    const QImage source = Pattern(QImage::Format_RGB32).mirrored(true, false);
    const QRect block(14, 2, 16, 10);
    fw::raster::Copy(target, GetParam().at, source, block, GetParam().clip);
    QPainter& painter = Reference();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(GetParam().at, source, block);
    ExpectSamePixels();
}

TEST_P(RasterAgainstPainter, BlendOfInkOfEveryOpacity)
{
    const QImage ink = Ink();
    fw::raster::BlendOver(target, GetParam().at, ink, GetParam().clip);
    Reference().drawImage(GetParam().at, ink);
    ExpectSamePixels();
}

INSTANTIATE_TEST_SUITE_P(Places, RasterAgainstPainter, ::testing::ValuesIn(kPlaces),
                         [](const ::testing::TestParamInfo<PlaceCase>& info) { return info.param.name; });

TEST(Raster, PixelsSharedWithACopyAreNotDrawnOn)
{
    QImage image = Pattern(QImage::Format_RGB32);
    EXPECT_TRUE(fw::raster::CanDrawOn(image));
    const QImage copy = image;
    EXPECT_FALSE(fw::raster::CanDrawOn(image)) << "drawing would first move the pixels away from a painter on them";
    EXPECT_FALSE(fw::raster::CanDrawOn(QImage(kSize, kSize, QImage::Format_RGB16)));
}

// A single line on a memory context goes straight on the bitmap's pixels;
// while a copy shares those pixels it goes through the bitmap's painter
// instead (which then takes pixels of its own). Both ways must give the same pixels, at either ratio.
struct LineCase {
    const char* name;
    std::string text;
    CRect box;
    CRect clip;   // none when empty
    int bkMode;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

constexpr int kLineWidth = 120;
constexpr int kLineHeight = 30;

struct DrawnLine {
    QImage pixels;
    int height;
};

DrawnLine DrawLine(const LineCase& c, int ratio, bool throughThePainter)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    CFont cfont;
    cfont.Attach(fw::CreateFontHandle(font));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&dc, kLineWidth * ratio, kLineHeight * ratio);
    fw::ImageOf(bitmap.m_hObject)->setDevicePixelRatio(ratio);
    dc.SelectObject(&bitmap);
    dc.FillSolidRect({0, 0, kLineWidth, kLineHeight}, RGB(255, 255, 255));
    dc.SelectObject(&cfont);
    dc.SetTextColor(RGB(20, 40, 200));
    dc.SetBkColor(RGB(0, 200, 0));
    dc.SetBkMode(c.bkMode);
    if (!c.clip.IsRectEmpty())
        dc.IntersectClipRect(c.clip);
    QImage sharing;  // before any painter opens on the pixels, which would copy them instead
    if (throughThePainter)
        sharing = *fw::ImageOf(bitmap.m_hObject);
    const int height = dc.DrawText(c.text, c.box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return {fw::ImageOf(bitmap.m_hObject)->copy(), height};
}

class SingleLineBothWays : public ::testing::TestWithParam<std::tuple<LineCase, int>> {};

TEST_P(SingleLineBothWays, SamePixelsStraightAsThroughThePainter)
{
    const auto& [c, ratio] = GetParam();
    const DrawnLine straight = DrawLine(c, ratio, false);
    const DrawnLine painted = DrawLine(c, ratio, true);
    EXPECT_EQ(straight.height, painted.height);
    ASSERT_EQ(straight.pixels.size(), painted.pixels.size());
    int inked = 0;
    for (int y = 0; y < straight.pixels.height(); ++y) {
        for (int x = 0; x < straight.pixels.width(); ++x) {
            ASSERT_EQ(straight.pixels.pixel(x, y), painted.pixels.pixel(x, y)) << "at " << x << "," << y;
            inked += straight.pixels.pixel(x, y) != qRgb(255, 255, 255);
        }
    }
    EXPECT_GT(inked, 20) << "the text is drawn";
    // Cut at the box, as the platform cuts a text wider than its rectangle.
    for (int y = 0; y < straight.pixels.height(); ++y) {
        EXPECT_EQ(straight.pixels.pixel(c.box.left * ratio - 1, y), qRgb(255, 255, 255)) << "row " << y;
        EXPECT_EQ(straight.pixels.pixel(c.box.right * ratio, y), qRgb(255, 255, 255)) << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SingleLineBothWays,
    ::testing::Combine(
        ::testing::Values(LineCase{"Centred", "Program Flash 37%", {1, 0, 119, 30}, {}, TRANSPARENT},
                          LineCase{"OddBoxCentredOnAHalfPixel", "Verify Ok", {3, 2, 118, 27}, {}, TRANSPARENT},
                          LineCase{"ClipThroughTheText", "Program Flash 37%", {1, 0, 119, 30}, {0, 0, 57, 30},
                                   TRANSPARENT},
                          LineCase{"OpaqueBackground", "50%", {10, 0, 110, 30}, {}, OPAQUE},
                          LineCase{"WiderThanItsBox", "Program Flash memory now", {20, 5, 100, 25}, {}, TRANSPARENT}),
        ::testing::Values(1, 2)),
    [](const ::testing::TestParamInfo<std::tuple<LineCase, int>>& info) {
        return std::string(std::get<0>(info.param).name) + "AtRatio" + std::to_string(std::get<1>(info.param));
    });

} // namespace
