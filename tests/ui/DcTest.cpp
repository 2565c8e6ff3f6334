// SPDX-License-Identifier: GPL-2.0-or-later
// The drawing contexts the control paints with, on memory contexts whose
// pixels the test reads: logical coordinates, clipping and its undoing,
// background modes and icons.
#include <QImage>
#include <QRgb>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Dc.h"
#include "framework/Gdi.h"
#include "framework/GdiImpl.h"
#include "framework/Icon.h"
#include "framework/Resources.h"
#include "tests/support/TestHost.h"

namespace {

constexpr int kSize = 40;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);

QRgb Pixel(COLORREF colour) { return qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

class MemoryContext : public ::testing::Test {
protected:
    void SetUp() override
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, kSize, kSize);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect({0, 0, kSize, kSize}, kWhite);
    }
    const QImage& Pixels() const { return *fw::ImageOf(bitmap.m_hObject); }
    // The device rectangle holding every pixel of colour, or an empty one.
    QRect Covering(COLORREF colour) const
    {
        QRect area;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                if (Pixels().pixel(x, y) == Pixel(colour))
                    area |= QRect(x, y, 1, 1);
        return area;
    }
    int Count(COLORREF colour) const
    {
        int count = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                count += Pixels().pixel(x, y) == Pixel(colour);
        return count;
    }

    CBitmap bitmap;
    CDC dc;
};

TEST_F(MemoryContext, DrawingIsInLogicalCoordinatesFromTheWindowOrigin)
{
    EXPECT_EQ(dc.SetWindowOrg(100, 50), (CPoint{0, 0}));
    dc.FillSolidRect({110, 55, 120, 60}, kGreen);
    EXPECT_EQ(Covering(kGreen), QRect(10, 5, 10, 5));
    CRect box;
    dc.GetClipBox(&box);
    EXPECT_EQ(box, (CRect{100, 50, 100 + kSize, 50 + kSize})) << "the bitmap, seen from the origin";
}

TEST_F(MemoryContext, AClipRectangleIsFixedOnTheDeviceWhenSetAndRestoreDCLiftsIt)
{
    dc.SetTextColor(kGreen);
    const int level = dc.SaveDC();
    dc.SetWindowOrg(10, 10);
    EXPECT_EQ(dc.IntersectClipRect({12, 12, 20, 18}), SIMPLEREGION);
    EXPECT_EQ(dc.IntersectClipRect({15, 0, 40, 40}), SIMPLEREGION);
    dc.SetWindowOrg(0, 0);
    dc.SetTextColor(kWhite);
    CRect box;
    dc.GetClipBox(&box);
    EXPECT_EQ(box, (CRect{5, 2, 10, 8})) << "the clip stays where it was set, in device terms";
    dc.FillSolidRect({0, 0, kSize, kSize}, kGreen);
    EXPECT_EQ(Covering(kGreen), QRect(5, 2, 5, 6));

    EXPECT_TRUE(dc.RestoreDC(level));
    EXPECT_EQ(dc.SetTextColor(kWhite), kGreen) << "attributes come back with the saved state";
    dc.FillSolidRect({0, 0, kSize, kSize}, kGreen);
    EXPECT_EQ(Covering(kGreen), QRect(0, 0, kSize, kSize));
    EXPECT_FALSE(dc.RestoreDC(level)) << "a level is restored once";
}

TEST_F(MemoryContext, ClippingToNothingDrawsNothing)
{
    EXPECT_EQ(dc.IntersectClipRect({30, 10, 20, 30}), NULLREGION);
    dc.FillSolidRect({0, 0, kSize, kSize}, kGreen);
    EXPECT_TRUE(Covering(kGreen).isEmpty());
}

TEST_F(MemoryContext, OnlyAnOpaqueBackgroundFillsTheTextsBox)
{
    dc.SetBkColor(kGreen);
    dc.SetTextColor(RGB(0, 0, 0));
    const CRect box{0, 0, kSize, kSize};
    dc.SetBkMode(TRANSPARENT);
    EXPECT_GT(dc.DrawText("Ok", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 0);
    EXPECT_TRUE(Covering(kGreen).isEmpty());
    EXPECT_LT(Count(kWhite), kSize * kSize) << "the text itself is drawn";

    dc.SetBkMode(OPAQUE);
    dc.DrawText("Ok", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const QRect cell = Covering(kGreen);
    ASSERT_FALSE(cell.isEmpty());
    EXPECT_NEAR(cell.center().x(), kSize / 2, 2) << "the box is the centred text's";
    EXPECT_LT(cell.width(), kSize);
}

constexpr int kIconId = 9601;

// One 32 x 32 icon: left half opaque green, right half transparent.
class IconResources final : public ResourceTable {
public:
    IconResources() : m_pixels(32 * 32)
    {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                m_pixels[static_cast<std::size_t>(y * 32 + x)] = x < 16 ? 0xFF00A000 : 0x00000000;
    }
    const DialogTemplate* Dialog(int) const override { return nullptr; }
    std::string String(UINT) const override { return {}; }
    const ImageResource* Image(int id) const override { return id == kIconId ? &m_image : nullptr; }

private:
    std::vector<std::uint32_t> m_pixels;
    ImageResource m_image{32, 32, m_pixels.data()};
};

TEST_F(MemoryContext, DrawIconPaintsTheIconsOpaquePixelsOnly)
{
    IconResources resources;
    test::TestHost host;
    const fw::Setup setup(host, &resources);
    const HICON icon = fw::LoadIconResource(kIconId);
    ASSERT_NE(icon, nullptr);

    EXPECT_TRUE(dc.DrawIcon(4, 6, icon));
    EXPECT_EQ(Covering(kGreen), QRect(4, 6, 16, 32));
    EXPECT_EQ(Pixels().pixel(20, 6), Pixel(kWhite));
}

} // namespace
