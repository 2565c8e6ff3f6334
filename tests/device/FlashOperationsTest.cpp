// SPDX-License-Identifier: GPL-2.0-or-later
// Erase, Blank, Program, Verify and Auto, clicked on the real dialog with a
// simulated chip: what reaches the flash, the texts and boxes in their order,
// the bar, the sleeps, and the release of the target.
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/device/DeviceTest.h"

namespace {

using devtest::Bytes;
using devtest::kChipErase;
using devtest::kNoTargetBox;
using devtest::kNoTargetStatus;
using devtest::kPresenceCheckCommands;
using devtest::kProgrammingEnable;
using devtest::TestImage;

const std::string kNoHexFile = "Please open a hex file before programing.";

constexpr std::uint16_t kStatusRegister = 0x379;
constexpr std::uint8_t kMisoBit = 0x40;

// Passes every access on, but while `forced` gives a level the status
// register reads MISO at that level: a flash cell or a contact that fails
// in a way the simulated chip itself does not.
class MisoOverridePort final : public fw::IPortBackend {
public:
    MisoOverridePort(fw::IPortBackend& target, std::function<std::optional<bool>()> forced)
        : m_target(target), m_forced(std::move(forced))
    {
    }

    std::uint8_t In(std::uint16_t address) override
    {
        const std::uint8_t value = m_target.In(address);
        if (address != kStatusRegister)
            return value;
        const std::optional<bool> level = m_forced();
        if (!level)
            return value;
        return *level ? static_cast<std::uint8_t>(value | kMisoBit) : static_cast<std::uint8_t>(value & ~kMisoBit);
    }
    void Out(std::uint16_t address, std::uint8_t value) override { m_target.Out(address, value); }

private:
    fw::IPortBackend& m_target;
    std::function<std::optional<bool>()> m_forced;
};

bool IsErased(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == sim::kErasedByte; });
}

class FlashOperationsTest : public devtest::DeviceTest {
protected:
    // The override goes before the base tears the dialog down.
    ~FlashOperationsTest() override { port.Retarget(*simPort); }

    void OverrideMiso(std::function<std::optional<bool>()> forced)
    {
        m_override = std::make_unique<MisoOverridePort>(*simPort, std::move(forced));
        port.Retarget(*m_override);
    }

    // Bit 7 of address 100 reads low whatever the cell holds, erased or not.
    void StickBit7OfAddress100Low()
    {
        OverrideMiso([this]() -> std::optional<bool> {
            // Reply bit 7 of byte 2 is sampled after the 16 bits 0x01 0x64.
            if (receiving.bits == 16 && receiving.value == 0x0164)
                return false;
            return std::nullopt;
        });
    }

    // The read-back after the second write of 0xAA fails: the presence
    // check of Program inside Auto, after that of Blank has passed. Counts
    // the records from where they stand: set it after ForgetRecords.
    void FailSecondPresenceReadBack()
    {
        OverrideMiso([this, looked = std::size_t{0}, writes = 0]() mutable -> std::optional<bool> {
            constexpr Bytes kWriteTestPattern{0x02, 0x00, 0xAA};
            for (; looked < commands.size(); ++looked)
                writes += commands[looked].bytes == kWriteTestPattern ? 1 : 0;
            if (writes == 2 && commands.back().bytes == kWriteTestPattern)
                return true;
            return std::nullopt;
        });
    }

    std::span<const test::IspCommand> LastCommands(std::size_t count) const
    {
        return std::span<const test::IspCommand>(commands).last(count);
    }

private:
    std::unique_ptr<MisoOverridePort> m_override;
};

TEST_F(FlashOperationsTest, AutoLeavesTheImageOnTheChipAndReleasesTheTargetAfterEachOperation)
{
    sim::ChipContents used;
    used.flash.fill(0x5A);
    UseChip(used);
    StartWithoutBitClock();
    const std::vector<std::uint8_t> image = TestImage(1500, 0x21);
    LoadImage(image);
    ForgetRecords();

    Click(IDC_AUTO);

    EXPECT_EQ(Status(), "Verfify Ok");
    ExpectBoxes({});
    EXPECT_TRUE(std::equal(image.begin(), image.end(), chip->Flash().begin()));
    EXPECT_TRUE(IsErased(std::span(chip->Flash()).subspan(image.size())));
    EXPECT_TRUE(TargetReleased());
    // Erase, Blank, Program and Verify each release right after their last
    // command: chip erase, read 0x1FFF, write 0x05DB, read 0x05DB.
    const std::vector<Bytes> lastOfEach{kChipErase, {0xF9, 0xFF, 0x00}, {0x2A, 0xDB, image[1499]}, {0x29, 0xDB, 0xFF}};
    ASSERT_EQ(releases.size(), lastOfEach.size());
    for (std::size_t i = 0; i < releases.size(); ++i)
        EXPECT_EQ(commands[releases[i] - 1].bytes, lastOfEach[i]) << "operation " << i;
    EXPECT_EQ(releases.back(), commands.size());
}

struct NoTargetCase {
    const char* name;
    int button;
    sim::ChipFaults::Presence presence;
    std::size_t commandsBeforeCheck;
    std::optional<std::string> statusAtBox;
};

void PrintTo(const NoTargetCase& c, std::ostream* os) { *os << c.name; }

class NoTarget : public FlashOperationsTest, public ::testing::WithParamInterface<NoTargetCase> {};

TEST_P(NoTarget, ShowsTheCheckBoxThenTheStatusAndSendsNothingBeyondTheCheck)
{
    const NoTargetCase& c = GetParam();
    sim::ChipFaults faults;
    faults.presence = c.presence;
    UseChip({}, faults);
    StartWithoutBitClock();
    LoadImage(TestImage(64, 0x40));
    ForgetRecords();

    Click(c.button);

    ExpectBoxes({kNoTargetBox});
    ASSERT_EQ(atBox.size(), 1u);
    EXPECT_TRUE(atBox[0].released) << "the check releases the target before its box";
    EXPECT_NE(atBox[0].status, kNoTargetStatus) << "the box comes before the text";
    if (c.statusAtBox) {
        EXPECT_EQ(atBox[0].status, *c.statusAtBox);
    }
    EXPECT_EQ(Status(), kNoTargetStatus);
    EXPECT_TRUE(TargetReleased());
    ASSERT_EQ(commands.size(), c.commandsBeforeCheck + kPresenceCheckCommands);
    const std::uint8_t floating = c.presence == sim::ChipFaults::Presence::AbsentMisoHigh ? 0xFF : 0x00;
    devtest::ExpectPresenceCheck(LastCommands(kPresenceCheckCommands), floating);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, NoTarget,
    ::testing::Values(NoTargetCase{"BlankMisoHigh", IDC_BLANK, sim::ChipFaults::Presence::AbsentMisoHigh, 0, {}},
                      NoTargetCase{"BlankMisoLow", IDC_BLANK, sim::ChipFaults::Presence::AbsentMisoLow, 0, {}},
                      NoTargetCase{"ProgramMisoHigh", IDC_PROGRAM, sim::ChipFaults::Presence::AbsentMisoHigh, 0, {}},
                      NoTargetCase{"ProgramMisoLow", IDC_PROGRAM, sim::ChipFaults::Presence::AbsentMisoLow, 0, {}},
                      // Erase has no check: its two commands go out and "Erase Ok" stands.
                      NoTargetCase{"AutoMisoHigh", IDC_AUTO, sim::ChipFaults::Presence::AbsentMisoHigh, 2, "Erase Ok"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NotBlankCase {
    const char* name;
    int button;
    bool stuckCell;  // else the chip holds 0x7F at address 100
    std::size_t commandsBeforeBlank;
};

void PrintTo(const NotBlankCase& c, std::ostream* os) { *os << c.name; }

class NotBlank : public FlashOperationsTest, public ::testing::WithParamInterface<NotBlankCase> {};

TEST_P(NotBlank, StopsAtAddress100WithTheBoxBeforeTheReleaseAndProgramsNothing)
{
    const NotBlankCase& c = GetParam();
    sim::ChipContents contents;
    if (!c.stuckCell)
        contents.flash[100] = 0x7F;
    UseChip(contents);
    StartWithoutBitClock();
    if (c.stuckCell)
        StickBit7OfAddress100Low();
    LoadImage(TestImage(300, 0x01));
    ForgetRecords();

    Click(c.button);

    ExpectBoxes({"Not Blank."});
    ASSERT_EQ(atBox.size(), 1u);
    EXPECT_EQ(atBox[0].status, "Blank Check 1%");
    EXPECT_FALSE(atBox[0].released) << "the target waits in programming mode while the box is shown";
    EXPECT_EQ(Status(), "Not Blank.");
    EXPECT_TRUE(TargetReleased());

    // The check, programming enable, then reads of 0 to 100 and nothing else.
    const std::size_t reads = 101;
    ASSERT_EQ(commands.size(), c.commandsBeforeBlank + kPresenceCheckCommands + 1 + reads);
    const auto blank = std::span<const test::IspCommand>(commands).subspan(c.commandsBeforeBlank);
    devtest::ExpectPresenceCheck(blank, 0xFF);
    EXPECT_EQ(blank[kPresenceCheckCommands].bytes, kProgrammingEnable);
    for (const test::IspCommand& read : LastCommands(reads))
        EXPECT_TRUE((read.bytes[0] & 0x07) == 0x01 && read.bytes[2] == 0x00) << "a Blank read with filler 0x00";
    EXPECT_EQ(commands.back().bytes, (Bytes{0x01, 0x64, 0x00}));
    EXPECT_EQ(releases.back(), commands.size());
    if (c.stuckCell) {
        EXPECT_TRUE(IsErased(chip->Flash())) << "Auto programmed something";
    } else {
        EXPECT_EQ(chip->Flash()[100], 0x7F);
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, NotBlank,
                         ::testing::Values(NotBlankCase{"Blank", IDC_BLANK, false, 0},
                                           NotBlankCase{"Auto", IDC_AUTO, true, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct VerifyMismatchCase {
    const char* name;
    std::size_t imageSize;  // 0: no file loaded, the image is all 0x00
    std::uint32_t mismatchAt;
    const char* statusAtBox;
};

void PrintTo(const VerifyMismatchCase& c, std::ostream* os) { *os << c.name; }

class VerifyMismatch : public FlashOperationsTest, public ::testing::WithParamInterface<VerifyMismatchCase> {};

TEST_P(VerifyMismatch, StopsAtTheFirstDifferenceWithTheBarWhereItStopped)
{
    const VerifyMismatchCase& c = GetParam();
    const std::vector<std::uint8_t> image = TestImage(c.imageSize, 0x5B);
    sim::ChipContents contents = devtest::ChipHolding(image);
    if (!image.empty())
        contents.flash[c.mismatchAt] ^= 0x01;
    UseChip(contents);
    StartWithoutBitClock();
    if (!image.empty())
        LoadImage(image);
    ForgetRecords();

    Click(IDC_VERIFY);

    ExpectBoxes({"Verify error !!!"});
    ASSERT_EQ(atBox.size(), 1u);
    EXPECT_EQ(atBox[0].status, c.statusAtBox);
    EXPECT_FALSE(atBox[0].released);
    EXPECT_EQ(Status(), "Verify error !!!");
    EXPECT_EQ(Bar().pos, static_cast<int>(c.mismatchAt) + 1);
    EXPECT_TRUE(TargetReleased());
    ASSERT_EQ(commands.size(), 1 + c.mismatchAt + 1) << "programming enable and the reads up to the mismatch";
    EXPECT_EQ(commands.front().bytes, kProgrammingEnable);
    EXPECT_EQ(commands.back().bytes[1], c.mismatchAt & 0xFF);
    EXPECT_EQ(commands.back().bytes[2], 0xFF) << "Verify reads with filler 0xFF";
}

INSTANTIATE_TEST_SUITE_P(Addresses, VerifyMismatch,
                         ::testing::Values(VerifyMismatchCase{"NoFileLoaded", 0, 0, "Verify Flash 0%"},
                                           VerifyMismatchCase{"FirstByte", 1000, 0, "Verify Flash 0%"},
                                           VerifyMismatchCase{"LaterByte", 1000, 700, "Verify Flash 70%"}),
                         [](const auto& info) { return std::string(info.param.name); });

class NoHexFile : public FlashOperationsTest, public ::testing::WithParamInterface<int> {};

TEST_P(NoHexFile, ShowsTheBoxThenTheTextAndNeverTouchesThePortOrTheSettings)
{
    const sim::ChipContents before = devtest::ChipHolding(TestImage(64, 0x11));
    UseChip(before);
    StartWithoutBitClock();
    // With no stored port, a port selection would show the first-run notice.
    StorePort(0);
    ForgetRecords();

    Click(GetParam());

    ExpectBoxes({kNoHexFile});
    ASSERT_EQ(atBox.size(), 1u);
    EXPECT_NE(atBox[0].status, kNoHexFile) << "the box comes before the text";
    EXPECT_EQ(Status(), kNoHexFile);
    EXPECT_TRUE(port.accesses.empty());
    EXPECT_TRUE(host.modalTemplates.empty());
    EXPECT_TRUE(host.sleeps.empty());
    EXPECT_EQ(chip->Contents(), before);
}

INSTANTIATE_TEST_SUITE_P(Buttons, NoHexFile, ::testing::Values(IDC_PROGRAM, IDC_AUTO),
                         [](const auto& info) { return info.param == IDC_PROGRAM ? "Program" : "Auto"; });

TEST_F(FlashOperationsTest, AutoRunsVerifyInFullWhenTheCheckInProgramFails)
{
    StartWithoutBitClock();
    std::vector<std::uint8_t> image = TestImage(40, 0x80);
    image[0] = image[1] = 0xFF;  // the erased chip matches here, and first differs at 2
    LoadImage(image);
    ForgetRecords();
    FailSecondPresenceReadBack();

    Click(IDC_AUTO);

    ExpectBoxes({kNoTargetBox, "Verify error !!!"});
    ASSERT_EQ(atBox.size(), 2u);
    EXPECT_EQ(atBox[0].status, "Blank Ok");
    EXPECT_TRUE(atBox[0].released);
    EXPECT_EQ(atBox[1].status, "Verify Flash 5%");
    EXPECT_EQ(Status(), "Verify error !!!");
    EXPECT_TRUE(TargetReleased());

    // Erase 2, Blank 5 + 1 + 8192, then Program's check and Verify from address 0.
    const std::size_t programStart = 2 + kPresenceCheckCommands + 1 + 8192;
    ASSERT_EQ(commands.size(), programStart + kPresenceCheckCommands + 4);
    devtest::ExpectPresenceCheck(std::span<const test::IspCommand>(commands).subspan(programStart), 0xFF);
    const std::vector<Bytes> verify{kProgrammingEnable, {0x01, 0x00, 0xFF}, {0x01, 0x01, 0xFF}, {0x01, 0x02, 0xFF}};
    EXPECT_EQ(Sent(programStart + kPresenceCheckCommands), verify);
    ASSERT_FALSE(atSleep.empty());
    EXPECT_EQ(atSleep.back().status, "Verfy Flash") << "Verify enters programming mode under its own text";
    EXPECT_TRUE(IsErased(chip->Flash())) << "Program wrote nothing";
}

class EraseOfALockedChip : public FlashOperationsTest, public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(EraseOfALockedChip, ClearsFlashAndLockBitsWithoutAPresenceCheck)
{
    UseChip(devtest::ChipHolding(TestImage(200, 0x33), GetParam()));
    StartWithoutBitClock();
    ForgetRecords();

    Click(IDC_ERASE);

    EXPECT_EQ(chip->Contents(), sim::ChipContents{});
    EXPECT_EQ(Sent(), (std::vector<Bytes>{kProgrammingEnable, kChipErase}));
    EXPECT_EQ(Status(), "Erase Ok");
    ExpectBoxes({});
}

INSTANTIATE_TEST_SUITE_P(LockLevels, EraseOfALockedChip,
                         ::testing::Values(sim::kLockBit1, sim::kLockBit1 | sim::kLockBit2, sim::kLockBitsMask),
                         [](const auto& info) { return "LockBits" + std::to_string(int(info.param)); });

TEST_F(FlashOperationsTest, AutoOnALockedChipErasesItFirstAndSucceeds)
{
    UseChip(devtest::ChipHolding(TestImage(200, 0x33), sim::kLockBitsMask));
    StartWithoutBitClock();
    const std::vector<std::uint8_t> image = TestImage(300, 0x44);
    LoadImage(image);
    ForgetRecords();

    Click(IDC_AUTO);

    EXPECT_EQ(Status(), "Verfify Ok");
    ExpectBoxes({});
    EXPECT_EQ(chip->LockBits(), 0);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), chip->Flash().begin()));
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0].bytes, kProgrammingEnable);
    EXPECT_EQ(commands[1].bytes, kChipErase) << "no presence check, which a locked chip would fail, before the erase";
}

// The percentage shown for each byte, in the order of the addresses.
struct PercentCase {
    std::string name;
    int button;
    std::uint32_t lastAddress;
    std::vector<int> sequence;                        // every percentage, where given
    std::vector<std::pair<std::uint32_t, int>> probes;  // address, percentage
};

void PrintTo(const PercentCase& c, std::ostream* os) { *os << c.name; }

std::vector<int> Multiples(int count, int factor)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i)
        values.push_back(i * factor);
    return values;
}

std::vector<PercentCase> PercentCases()
{
    const std::vector<PercentCase> rows{
        {"Last1", 0, 1, {0, 100}, {}},
        {"Last5", 0, 5, {0, 19, 39, 59, 79, 99}, {}},
        {"Last50", 0, 50, Multiples(51, 2), {}},
        {"Last100", 0, 100, Multiples(101, 1), {}},
        {"Last1000", 0, 1000, {}, {{0, 0}, {9, 0}, {10, 1}, {999, 99}, {1000, 100}}},
        {"Last4095", 0, 4095, {}, {{0, 0}, {4095, 99}}},
        {"Last8191", 0, 8191, {}, {{0, 0}, {8191, 99}}},
    };
    std::vector<PercentCase> cases;
    for (int button : {IDC_PROGRAM, IDC_VERIFY})
        for (PercentCase row : rows) {
            row.name = (button == IDC_PROGRAM ? "Program" : "Verify") + row.name;
            row.button = button;
            cases.push_back(row);
        }
    cases.push_back({"Blank", IDC_BLANK, 8191, {}, {{0, 0}, {81, 0}, {82, 1}, {99 * 82 - 1, 98}, {99 * 82, 99}, {8191, 99}}});
    return cases;
}

// The number in "<prefix><number>%", or -1 when the text is not of that form.
int PercentShown(const std::string& text, const std::string& prefix)
{
    if (!text.starts_with(prefix) || !text.ends_with('%') || text.size() < prefix.size() + 2)
        return -1;
    const std::string digits = text.substr(prefix.size(), text.size() - prefix.size() - 1);
    if (!std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return -1;
    return std::stoi(digits);
}

class Percentages : public FlashOperationsTest, public ::testing::WithParamInterface<PercentCase> {};

TEST_P(Percentages, FollowTheAddressAndNeverExceed100)
{
    const PercentCase& c = GetParam();
    const std::vector<std::uint8_t> image = TestImage(c.lastAddress + 1, 0x19);
    if (c.button == IDC_VERIFY)
        UseChip(devtest::ChipHolding(image));
    StartWithoutBitClock();
    if (c.button != IDC_BLANK)
        LoadImage(image);
    ForgetRecords();

    Click(c.button);

    const std::string prefix = c.button == IDC_PROGRAM ? "Program Flash " : c.button == IDC_VERIFY ? "Verify Flash " : "Blank Check ";
    const std::string success = c.button == IDC_PROGRAM ? "Program Flash Ok" : c.button == IDC_VERIFY ? "Verfify Ok" : "Blank Ok";
    ASSERT_EQ(Status(), success);
    std::vector<int> shown;
    for (const test::IspCommand& command : LastCommands(c.lastAddress + 1))
        shown.push_back(PercentShown(command.statusAfter, prefix));
    if (!c.sequence.empty()) {
        EXPECT_EQ(shown, c.sequence);
    }
    for (const auto& [address, percentage] : c.probes)
        EXPECT_EQ(shown[address], percentage) << "address " << address;
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GE(shown.front(), 0) << "every text has the form " << prefix << "N%";
    EXPECT_LE(shown.back(), 100);
}

INSTANTIATE_TEST_SUITE_P(Rows, Percentages, ::testing::ValuesIn(PercentCases()),
                         [](const auto& info) { return info.param.name; });

// The bar for each operation and outcome.
struct BarCase {
    const char* name;
    int button;
    enum class Chip { Blank, NotBlankAt100, HoldsImage, DiffersAt120 } chip;
    std::size_t byteCommands;  // the operation's last commands, one per byte
    int loopHigh;              // the range's upper bound while the bytes go
    std::optional<test::BarState> atBox;
    test::BarState atRelease;
    test::BarState final;
};

void PrintTo(const BarCase& c, std::ostream* os) { *os << c.name; }

class BarUse : public FlashOperationsTest, public ::testing::WithParamInterface<BarCase> {};

TEST_P(BarUse, RangeOneStepPerByteAndFinalPosition)
{
    const BarCase& c = GetParam();
    const std::vector<std::uint8_t> image = TestImage(300, 0x07);
    sim::ChipContents contents;
    if (c.chip == BarCase::Chip::NotBlankAt100)
        contents.flash[100] = 0x7F;
    if (c.chip == BarCase::Chip::HoldsImage || c.chip == BarCase::Chip::DiffersAt120)
        contents = devtest::ChipHolding(image);
    if (c.chip == BarCase::Chip::DiffersAt120)
        contents.flash[120] ^= 0x80;
    UseChip(contents);
    StartWithoutBitClock();
    LoadImage(image);
    LeaveBarElsewhere();
    ForgetRecords();

    Click(c.button);

    const auto bytes = LastCommands(c.byteCommands);
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        ASSERT_EQ(bytes[i].barAfter, (test::BarState{0, c.loopHigh, static_cast<int>(i) + 1})) << "after byte " << i;
    if (c.atBox) {
        ASSERT_EQ(atBox.size(), 1u);
        EXPECT_EQ(atBox[0].bar, *c.atBox);
    } else {
        EXPECT_TRUE(atBox.empty());
    }
    EXPECT_EQ(commands.back().barAfter, c.atRelease);
    EXPECT_EQ(Bar(), c.final);
    EXPECT_TRUE(TargetReleased());
}

INSTANTIATE_TEST_SUITE_P(
    Operations, BarUse,
    ::testing::Values(BarCase{"Erase", IDC_ERASE, BarCase::Chip::Blank, 1, 1, {}, {0, 1, 1}, {0, 1, 1}},
                      BarCase{"BlankAllBlank", IDC_BLANK, BarCase::Chip::Blank, 8192, 8192, {}, {0, 8192, 8192},
                              {0, 8192, 8192}},
                      BarCase{"BlankNotBlank", IDC_BLANK, BarCase::Chip::NotBlankAt100, 101, 8192, test::BarState{0, 8192, 101},
                              {0, 1, 1}, {0, 1, 1}},
                      BarCase{"Program", IDC_PROGRAM, BarCase::Chip::Blank, 300, 299, {}, {0, 299, 300}, {0, 299, 300}},
                      BarCase{"VerifyMatch", IDC_VERIFY, BarCase::Chip::HoldsImage, 300, 300, {}, {0, 300, 300},
                              {0, 300, 301}},
                      BarCase{"VerifyMismatch", IDC_VERIFY, BarCase::Chip::DiffersAt120, 121, 300,
                              test::BarState{0, 300, 121}, {0, 300, 121}, {0, 300, 121}}),
    [](const auto& info) { return std::string(info.param.name); });

class ByteDelaySleeps : public FlashOperationsTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(ByteDelaySleeps, ScaleWithTheByteDelayAndComeWhereTheyBelong)
{
    using devtest::EnterSleeps;
    using devtest::Joined;
    using devtest::PresenceCheckSleeps;
    const std::uint32_t d = GetParam();
    StoreDelays(1, static_cast<int>(d));
    StartWithoutBitClock();
    const std::size_t bytes = 20;
    LoadImage(TestImage(bytes, 0x61));

    ForgetRecords();
    Click(IDC_ERASE);
    EXPECT_EQ(host.sleeps, Joined(EnterSleeps(d), {40 * d}));
    ASSERT_EQ(atSleep.size(), 5u);
    EXPECT_EQ(atSleep.front().status, "Erase");
    EXPECT_EQ(atSleep.back().status, "Erase Ok");
    EXPECT_TRUE(atSleep.back().released);

    ForgetRecords();
    Click(IDC_BLANK);
    EXPECT_EQ(Status(), "Blank Ok");
    EXPECT_EQ(host.sleeps, Joined(PresenceCheckSleeps(d), EnterSleeps(d))) << "no sleep among the 8192 reads";
    ASSERT_EQ(atSleep.size(), 12u);
    EXPECT_EQ(atSleep.back().status, "Blank Check");

    ForgetRecords();
    Click(IDC_PROGRAM);
    EXPECT_EQ(Status(), "Program Flash Ok");
    const std::vector<std::uint32_t> perByte(bytes, 4 * d);
    EXPECT_EQ(host.sleeps, Joined(Joined(PresenceCheckSleeps(d), EnterSleeps(d)), perByte));
    const std::size_t loopStart = PresenceCheckSleeps(d).size() + EnterSleeps(d).size();
    ASSERT_EQ(atSleep.size(), loopStart + bytes);
    EXPECT_EQ(atSleep[loopStart].status, "Program Flash");
    for (std::size_t i = 0; i < bytes; ++i)
        EXPECT_EQ(atSleep[loopStart + i].commandsSent, kPresenceCheckCommands + 1 + i + 1) << "sleep after byte " << i;

    ForgetRecords();
    Click(IDC_VERIFY);
    EXPECT_EQ(Status(), "Verfify Ok");
    EXPECT_EQ(host.sleeps, EnterSleeps(d)) << "no sleep among the reads";
    ASSERT_EQ(atSleep.size(), 4u);
    EXPECT_EQ(atSleep.front().status, "Verfy Flash");
}

INSTANTIATE_TEST_SUITE_P(ByteDelay, ByteDelaySleeps, ::testing::Values(1u, 3u),
                         [](const auto& info) { return "ByteDelay" + std::to_string(info.param); });

} // namespace
