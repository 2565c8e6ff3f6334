// SPDX-License-Identifier: GPL-2.0-or-later
// The off-screen paint buffer over memory targets, whose pixels can be read
// at any moment: where its picture lands, what stays outside it, and how a
// printing target is drawn on directly.
#include <QImage>
#include <QRgb>

#include <gtest/gtest.h>

#include "framework/Dc.h"
#include "framework/Gdi.h"
#include "framework/GdiImpl.h"
#include "ui/OffscreenDC.h"

namespace {

constexpr int kTargetWidth = 40;
constexpr int kTargetHeight = 30;
constexpr COLORREF kBefore = RGB(1, 2, 3);
constexpr COLORREF kFill = RGB(0, 0, 255);
constexpr COLORREF kMarker = RGB(255, 0, 0);

QRgb Pixel(COLORREF colour) { return qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

// A memory context standing in for a window or a printer.
class Target {
public:
    Target()
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, kTargetWidth, kTargetHeight);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect({0, 0, kTargetWidth, kTargetHeight}, kBefore);
    }
    QRgb At(int x, int y) const { return fw::ImageOf(bitmap.m_hObject)->pixel(x, y); }
    bool Untouched() const
    {
        const QImage& pixels = *fw::ImageOf(bitmap.m_hObject);
        for (int y = 0; y < kTargetHeight; ++y)
            for (int x = 0; x < kTargetWidth; ++x)
                if (pixels.pixel(x, y) != Pixel(kBefore))
                    return false;
        return true;
    }

    CBitmap bitmap;  // outlives the context it is selected into
    CDC dc;
};

struct RepaintCase {
    const char* name;
    CRect clipBox;     // the target's clip box, logical
    CPoint origin;     // the target's window origin
};

void PrintTo(const RepaintCase& c, std::ostream* os) { *os << c.name; }

class OffscreenRepaint : public ::testing::TestWithParam<RepaintCase> {};

TEST_P(OffscreenRepaint, ThePictureLandsWhereItWasDrawnAndOnlyInsideTheClipBox)
{
    const RepaintCase& c = GetParam();
    Target target;
    target.dc.SetWindowOrg(c.origin.x, c.origin.y);
    target.dc.IntersectClipRect(c.clipBox);
    {
        COffscreenDC dc(&target.dc);
        CRect box;
        EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
        EXPECT_EQ(box, c.clipBox) << "the buffer covers exactly the clip box";
        // Drawn beyond the clip box on every side, then a marker at its corner.
        dc.FillSolidRect({c.origin.x - 10, c.origin.y - 10, c.origin.x + 60, c.origin.y + 50}, kFill);
        dc.FillSolidRect({c.clipBox.left, c.clipBox.top, c.clipBox.left + 1, c.clipBox.top + 1}, kMarker);
        EXPECT_TRUE(target.Untouched()) << "nothing reaches the target before the copy";
    }
    for (int y = 0; y < kTargetHeight; ++y) {
        for (int x = 0; x < kTargetWidth; ++x) {
            const int logicalX = x + c.origin.x;
            const int logicalY = y + c.origin.y;
            const bool inside = logicalX >= c.clipBox.left && logicalX < c.clipBox.right && logicalY >= c.clipBox.top &&
                                logicalY < c.clipBox.bottom;
            const bool corner = logicalX == c.clipBox.left && logicalY == c.clipBox.top;
            const QRgb expected = !inside ? Pixel(kBefore) : corner ? Pixel(kMarker) : Pixel(kFill);
            ASSERT_EQ(target.At(x, y), expected) << "device " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    OffscreenDC, OffscreenRepaint,
    ::testing::Values(RepaintCase{"WholeTarget", {0, 0, kTargetWidth, kTargetHeight}, {0, 0}},
                      RepaintCase{"PartAwayFromTheCorner", {10, 5, 30, 20}, {0, 0}},
                      RepaintCase{"OneRow", {0, 12, kTargetWidth, 13}, {0, 0}},
                      RepaintCase{"LastPixel", {39, 29, 40, 30}, {0, 0}},
                      RepaintCase{"TargetWithItsOwnOrigin", {-3, 14, 12, 25}, {-8, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OffscreenDC, AnEmptyClipBoxCopiesNothing)
{
    Target target;
    target.dc.IntersectClipRect({5, 5, 5, 20});
    {
        COffscreenDC dc(&target.dc);
        dc.FillSolidRect({0, 0, kTargetWidth, kTargetHeight}, kFill);
    }
    EXPECT_TRUE(target.Untouched());
}

TEST(OffscreenDC, APrintingTargetIsDrawnOnDirectlyAndKeepsItsHandles)
{
    Target printer;
    printer.dc.m_bPrinting = TRUE;
    const HDC output = printer.dc.m_hDC;
    const HDC attributes = printer.dc.m_hAttribDC;
    {
        COffscreenDC dc(&printer.dc);
        EXPECT_TRUE(dc.IsPrinting());
        EXPECT_EQ(dc.m_hDC, output);
        EXPECT_EQ(dc.m_hAttribDC, attributes);
        dc.FillSolidRect({2, 3, 4, 5}, kMarker);
        EXPECT_EQ(printer.At(2, 3), Pixel(kMarker)) << "drawn at once, not on destruction";
    }
    EXPECT_EQ(printer.dc.m_hDC, output);
    EXPECT_EQ(printer.dc.m_hAttribDC, attributes);
    printer.dc.FillSolidRect({6, 7, 8, 9}, kFill);
    EXPECT_EQ(printer.At(6, 7), Pixel(kFill)) << "the target still draws after the buffer is gone";
}

} // namespace
