// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The flash and lock operations on the real dialog and the simulated chip:
// the fixture they share and the commands and texts they are judged by.
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/AppName.h"
#include "tests/support/MainDialogFixture.h"

namespace devtest {

using Bytes = std::array<std::uint8_t, 3>;

inline constexpr Bytes kProgrammingEnable{0xAC, 0x53, 0x00};
inline constexpr Bytes kChipErase{0xAC, 0x04, 0x00};
inline constexpr std::size_t kPresenceCheckCommands = 5;  // programming enable and four at address 0

inline const std::string kNoTargetBox = "Error! Please check your CPU, printer port and power supply.";
inline const std::string kNoTargetStatus = "Error! Please check your CPU, power supply and printer port.";

// Every byte value, shifted by seed, so that no two neighbours are equal.
inline std::vector<std::uint8_t> TestImage(std::size_t size, std::uint8_t seed)
{
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<std::uint8_t>(seed + i * 7);
    return image;
}

inline sim::ChipContents ChipHolding(const std::vector<std::uint8_t>& image, std::uint8_t lockBits = 0)
{
    sim::ChipContents contents;
    std::copy(image.begin(), image.end(), contents.flash.begin());
    contents.lockBits = lockBits;
    return contents;
}

inline bool IsLockCommand(const Bytes& bytes)
{
    return bytes[0] == 0xAC && (bytes[1] == 0x67 || bytes[1] == 0x27 || bytes[1] == 0x07);
}

class DeviceTest : public test::MainDialogTest {
protected:
    // The bit clock's busy-wait is real time on this machine and is not what
    // these tests look at; the sleeps are virtual anyway.
    void StartWithoutBitClock()
    {
        Start();
        dlg->m_delayBit = 0;
    }

    // What an earlier run may have left on the bar: every operation sets its
    // own position and step before it steps.
    void LeaveBarElsewhere()
    {
        dlg->m_progress.SetRange(0, 500);
        dlg->m_progress.SetStep(3);
        dlg->m_progress.SetPos(77);
    }

    // Drops what the start-up and earlier steps left in the records.
    void ForgetRecords()
    {
        commands.clear();
        releases.clear();
        atBox.clear();
        atSleep.clear();
        statusAtBox.clear();
        host.boxes.clear();
        host.sleeps.clear();
        host.journal.clear();
        host.modalTemplates.clear();
        port.accesses.clear();
    }

    std::vector<Bytes> Sent(std::size_t from = 0) const
    {
        std::vector<Bytes> sent;
        for (std::size_t i = from; i < commands.size(); ++i)
            sent.push_back(commands[i].bytes);
        return sent;
    }

    std::vector<Bytes> LockCommandsSent() const
    {
        std::vector<Bytes> sent;
        for (const test::IspCommand& command : commands)
            if (IsLockCommand(command.bytes))
                sent.push_back(command.bytes);
        return sent;
    }

    // Boxes of the main dialog: the application's name as caption, no icon.
    void ExpectBoxes(const std::vector<std::string>& texts)
    {
        EXPECT_EQ(host.BoxTexts(), texts);
        for (const test::ShownBox& box : host.boxes) {
            EXPECT_EQ(box.caption, fw::ApplicationName()) << box.text;
            EXPECT_EQ(box.icon, 0u) << box.text;
        }
    }
};

// The presence check at address 0: read, write 0xAA, read it back, write the
// saved byte. The filler of the first read is the program's own choice.
inline void ExpectPresenceCheck(std::span<const test::IspCommand> sent, std::uint8_t saved)
{
    ASSERT_GE(sent.size(), kPresenceCheckCommands);
    EXPECT_EQ(sent[0].bytes, kProgrammingEnable);
    EXPECT_EQ(sent[1].bytes[0], 0x01);
    EXPECT_EQ(sent[1].bytes[1], 0x00);
    EXPECT_EQ(sent[2].bytes, (Bytes{0x02, 0x00, 0xAA}));
    EXPECT_EQ(sent[3].bytes, (Bytes{0x01, 0x00, 0xAA}));
    EXPECT_EQ(sent[4].bytes, (Bytes{0x02, 0x00, saved}));
}

// The sleeps of entering programming mode and of the presence check.
inline std::vector<std::uint32_t> EnterSleeps(std::uint32_t d) { return std::vector<std::uint32_t>(4, 200 * d); }
inline std::vector<std::uint32_t> PresenceCheckSleeps(std::uint32_t d)
{
    std::vector<std::uint32_t> sleeps = EnterSleeps(d);
    sleeps.insert(sleeps.end(), 4, 4 * d);
    return sleeps;
}

inline std::vector<std::uint32_t> Joined(std::vector<std::uint32_t> first, const std::vector<std::uint32_t>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace devtest
