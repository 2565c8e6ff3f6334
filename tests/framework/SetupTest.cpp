// SPDX-License-Identifier: GPL-2.0-or-later
// What a Setup installs is seen while it lives, and when it ends the
// framework is as it was: the next test finds neither its host, nor its
// resources, nor the icons loaded from them.
#include <QImage>
#include <QPixmap>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Host.h"
#include "framework/Icon.h"
#include "framework/IconImpl.h"
#include "framework/Resources.h"
#include "framework/Setup.h"
#include "framework/WinApp.h"
#include "tests/support/TestHost.h"

namespace {

constexpr int kIconId = 7;

// Icon kIconId in one colour.
class OneColourIcon final : public ResourceTable {
public:
    explicit OneColourIcon(std::uint32_t colour) : m_pixels(fw::kIconWidth * fw::kIconHeight, colour) {}
    const DialogTemplate* Dialog(int) const override { return nullptr; }
    std::string String(UINT) const override { return {}; }
    const ImageResource* Image(int id) const override { return id == kIconId ? &m_image : nullptr; }

private:
    std::vector<std::uint32_t> m_pixels;
    ImageResource m_image{fw::kIconWidth, fw::kIconHeight, m_pixels.data()};
};

constexpr std::uint32_t kGreen = 0xFF00A000;
constexpr std::uint32_t kRed = 0xFFC00000;

std::uint32_t IconColour()
{
    const HICON icon = fw::LoadIconResource(kIconId);
    return icon ? fw::PixmapOf(icon).toImage().pixel(0, 0) : 0;
}

TEST(SetupTest, WhatASetupInstallsLastsAsLongAsItAndNoLonger)
{
    test::TestHost first;
    test::TestHost second;
    const OneColourIcon green(kGreen);
    const OneColourIcon red(kRed);
    fw::IHost* const before = &fw::CurrentHost();
    {
        const fw::Setup outer(first, &green, "first help");
        EXPECT_EQ(&fw::CurrentHost(), &first);
        EXPECT_EQ(fw::InstalledResources(), &green);
        EXPECT_EQ(IconColour(), kGreen);
        const HICON outerIcon = fw::LoadIconResource(kIconId);
        {
            const fw::Setup inner(second, &red, "second help");
            EXPECT_EQ(&fw::CurrentHost(), &second);
            EXPECT_EQ(IconColour(), kRed) << "an icon of the table before is not reused";
            EXPECT_EQ(fw::PixmapOf(outerIcon).toImage().pixel(0, 0), kGreen) << "a window of the outer set-up keeps its icon";
            EXPECT_EQ(fw::SetHelpText("second help"), "second help");
        }
        EXPECT_EQ(&fw::CurrentHost(), &first);
        EXPECT_EQ(fw::InstalledResources(), &green);
        EXPECT_EQ(IconColour(), kGreen);
        EXPECT_EQ(fw::SetHelpText("first help"), "first help") << "the help text came back";
    }
    EXPECT_EQ(&fw::CurrentHost(), before);
    EXPECT_EQ(fw::InstalledResources(), nullptr);
    EXPECT_EQ(fw::LoadIconResource(kIconId), nullptr) << "no icon outlives its resources";
    EXPECT_EQ(fw::SetHelpText(""), "");
}

} // namespace
