// SPDX-License-Identifier: GPL-2.0-or-later
// The three registers of LPT1 moved to a chosen base, nothing else.
#include <gtest/gtest.h>

#include "cli/RelocatedPort.h"
#include "tests/support/RecordingPort.h"

namespace {

TEST(RelocatedPortTest, OnlyTheThreeRegistersAtTheDialogsBaseMove)
{
    fw::NoPortBackend nothing;
    test::RecordingPort recorded(nothing);
    cli::RelocatedPort moved(recorded, 0x378, 0xD010);
    const std::pair<std::uint16_t, std::uint16_t> cases[] = {
        {0x378, 0xD010}, {0x379, 0xD011}, {0x37A, 0xD012}, {0x377, 0x377}, {0x37B, 0x37B}, {0x278, 0x278},
    };
    for (const auto& [asked, reached] : cases) {
        SCOPED_TRACE(asked);
        recorded.accesses.clear();
        moved.Out(asked, 0x5A);
        EXPECT_EQ(moved.In(asked), 0xFF);
        ASSERT_EQ(recorded.accesses.size(), 2u);
        EXPECT_TRUE(recorded.accesses[0].write);
        EXPECT_EQ(recorded.accesses[0].address, reached);
        EXPECT_EQ(recorded.accesses[0].value, 0x5A);
        EXPECT_FALSE(recorded.accesses[1].write);
        EXPECT_EQ(recorded.accesses[1].address, reached);
    }
}

// Could not reach one address.
class UnreachableAt final : public fw::IPortBackend {
public:
    explicit UnreachableAt(std::uint16_t address) : address_(address) {}
    std::uint8_t In(std::uint16_t) override { return 0xFF; }
    void Out(std::uint16_t, std::uint8_t) override {}
    bool Unreachable(std::uint16_t address) override { return address == address_; }

private:
    std::uint16_t address_;
};

TEST(RelocatedPortTest, WhetherARegisterWasReachedIsAskedAtItsNewAddress)
{
    UnreachableAt target(0xD011);
    cli::RelocatedPort moved(target, 0x378, 0xD010);
    EXPECT_TRUE(moved.Unreachable(0x379));
    EXPECT_FALSE(moved.Unreachable(0x378));
    EXPECT_FALSE(moved.Unreachable(0x37A));
}

} // namespace
