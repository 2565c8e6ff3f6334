// SPDX-License-Identifier: GPL-2.0-or-later
// The icon in the desktop theme's sizes is the program's own 32-pixel picture
// drawn larger or smaller, not another picture.
#include <cstdint>

#include <gtest/gtest.h>

#include "res/Pictures.h"

namespace {

std::uint32_t PixelAt(const ImageResource& image, int x, int y) { return image.pixels[y * image.width + x]; }

TEST(ProgramIconSizesTest, EverySizeShowsThePictureOfTheProgramIcon)
{
    const ImageResource& original = ProgramIcon();
    ASSERT_EQ(original.width, 32);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const ImageResource icon = ProgramIconOfSize(size);
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        // Each pixel of the original against the pixel at the same place in
        // the drawing of this size; only the bolt's slanted edges may differ.
        int differing = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                differing += PixelAt(original, x, y) != PixelAt(icon, (2 * x + 1) * size / 64, (2 * y + 1) * size / 64);
        EXPECT_LE(differing, size >= 32 ? 60 : 200) << "of 1024";
        // The corners stay transparent, the chip's body is dark, the bolt yellow.
        EXPECT_EQ(PixelAt(icon, 0, 0) >> 24, 0u);
        EXPECT_EQ(PixelAt(icon, size - 1, size - 1) >> 24, 0u);
        EXPECT_EQ(PixelAt(icon, 10 * size / 32, 24 * size / 32), 0xFF262626u);
        // Below 32 pixels the bolt is narrow enough for its outline to cover
        // much of it.
        const std::uint32_t bolt = PixelAt(icon, 20 * size / 32, 5 * size / 32);
        if (size >= 32)
            EXPECT_EQ(bolt, 0xFFFFD800u);
        else
            EXPECT_TRUE(bolt == 0xFFFFD800u || bolt == 0xFF9A5A00u) << std::hex << bolt;
    }
    EXPECT_EQ(PixelAt(ProgramIconOfSize(32), 20, 5), PixelAt(original, 20, 5));
}

TEST(ProgramIconSizesTest, TheSvgDrawsTheSameShapes)
{
    const std::string svg = ProgramIconSvg();
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 32 32\""), std::string::npos);
    // The chip's body and the bolt, in the colours of the pixels.
    EXPECT_NE(svg.find("<rect x=\"9\" y=\"4\" width=\"14\" height=\"24\" fill=\"#262626\"/>"), std::string::npos) << svg;
    EXPECT_NE(svg.find("fill=\"#FFD800\" stroke=\"#9A5A00\""), std::string::npos) << svg;
    EXPECT_TRUE(svg.ends_with("</svg>\n"));
}

} // namespace
