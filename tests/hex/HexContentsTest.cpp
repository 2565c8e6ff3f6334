// SPDX-License-Identifier: GPL-2.0-or-later
// Loading HEX files through the "Open Hex File" button: what the parser and
// the size checks accept, what they refuse, and what they leave in the image.
#include <array>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/AppName.h"
#include "tests/hex/HexLoadFixture.h"

namespace test {
namespace {

using Image = std::array<std::uint8_t, CBrovikDlg::kImageSize>;

struct Placement {
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
};

struct ContentsCase {
    const char* name;
    std::string contents;
    std::vector<std::string> boxes;  // none: the load is accepted
    std::uint32_t lastAddress;
    std::vector<Placement> stored;   // every other byte of the image is 0x00
};

void PrintTo(const ContentsCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t value) { return std::vector<std::uint8_t>(count, value); }

// What kExample stores.
const Placement kExampleBytes{0x30, {0x02, 0x33, 0x7A}};

const ContentsCase kCases[] = {
    {"TwoRecordExample", kExample, {}, 0x32, {kExampleBytes}},
    {"RecordsNeedNotStandOnLinesOfTheirOwn", ":0300300002337A1E:00000001FF", {}, 0x32, {kExampleBytes}},
    {"LowerCaseDigits", ":0300300002337a1e\n:00000001ff\n", {}, 0x32, {kExampleBytes}},
    {"CharactersBetweenNineAndACountAsZero", ":03003000?2337A1E\n:00000001FF\n", {}, 0x32, {kExampleBytes}},
    {"LastByteAt8191", Record(0, 0x1FF0, Bytes(16, 0x5A)) + "\n" + kEndRecord, {}, 0x1FFF, {{0x1FF0, Bytes(16, 0x5A)}}},
    {"RecordEndingAt8192", Record(0, 0x1FF1, Bytes(16, 0x5A)) + "\n" + kEndRecord, {kOver8192}, 0,
     {{0x1FF1, Bytes(15, 0x5A)}}},
    {"RecordFarBeyondTheImage", Record(0, 0xFFF0, Bytes(16, 0x5A)) + "\n" + kEndRecord, {kOver8192}, 0, {}},
    {"RecordBeyondTheImageFollowedByALowerOne",
     Record(0, 0x1FF8, Bytes(16, 0x5A)) + "\n" + Record(0, 0x0000, {0x11}) + "\n" + kEndRecord, {kOver8192}, 0,
     {{0x1FF8, Bytes(8, 0x5A)}, {0x0000, {0x11}}}},
    {"ParserMessageComesBeforeTheSizeMessage", Record(0, 0x1FF8, Bytes(16, 0x5A)) + "\n:00000001FE\n",
     {kChecksumError, kOver8192}, 0, {{0x1FF8, Bytes(8, 0x5A)}}},
    {"DescendingRecordsLastAddressIsTheHighestStored",
     Record(0, 0x0200, {1, 2, 3}) + "\n" + Record(0, 0x0100, {4, 5}) + "\n" + Record(0, 0x0010, {6}) + "\n" + kEndRecord,
     {}, 0x202, {{0x0200, {1, 2, 3}}, {0x0100, {4, 5}}, {0x0010, {6}}}},
    {"StartUpRecordLastAtZeroKeepsTheHighestAddress",
     Record(0, 0x0100, {7, 8, 9, 10}) + "\n" + Record(0, 0x1F00, {0xC0}) + "\n" + Record(0, 0x0000, {0x02, 0x01, 0x00}) +
         "\n" + kEndRecord,
     {}, 0x1F00, {{0x0100, {7, 8, 9, 10}}, {0x1F00, {0xC0}}, {0x0000, {0x02, 0x01, 0x00}}}},
    {"RecordBeyondTheImageAfterAHigherOneStillRefuses",
     Record(0, 0x1000, {1}) + "\n" + Record(0, 0x1FFC, Bytes(8, 0x5A)) + "\n" + Record(0, 0x0000, {0x11}) + "\n" +
         kEndRecord,
     {kOver8192}, 0, {{0x1000, {1}}, {0x1FFC, Bytes(4, 0x5A)}, {0x0000, {0x11}}}},
    // Extended address records (types 2 and 4) with a base of zero, as tools
    // write them for small programs, and start address records (3 and 5)
    // are skipped.
    {"ZeroBaseAndStartAddressRecordsAreSkipped",
     Record(4, 0x0000, {0x00, 0x00}) + "\n" + Record(2, 0x0000, {0x00, 0x00}) + "\n" + Record(0, 0x0040, {0xC3, 0x3C}) +
         "\n" + Record(3, 0x0000, {0x00, 0x00, 0x00, 0x40}) + "\n" + Record(5, 0x0000, {0x00, 0x00, 0x00, 0x40}) +
         "\n" + kEndRecord,
     {}, 0x41, {{0x0040, {0xC3, 0x3C}}}},
    // Any other base puts the data beyond the 16-bit addresses: outside the flash.
    {"NonZeroLinearBaseRefuses",
     Record(4, 0x0000, {0x00, 0x01}) + "\n" + Record(0, 0x0040, {0xC3, 0x3C}) + "\n" + kEndRecord, {kOver8192}, 0,
     {{0x0040, {0xC3, 0x3C}}}},
    {"NonZeroSegmentBaseRefuses",
     Record(2, 0x0000, {0x10, 0x00}) + "\n" + Record(0, 0x0040, {0xC3, 0x3C}) + "\n" + kEndRecord, {kOver8192}, 0,
     {{0x0040, {0xC3, 0x3C}}}},
    {"NonZeroBaseAfterTheDataRefuses",
     Record(0, 0x0040, {0xC3, 0x3C}) + "\n" + Record(4, 0x0000, {0x80, 0x00}) + "\n" + kEndRecord, {kOver8192}, 0,
     {{0x0040, {0xC3, 0x3C}}}},
    {"NonZeroBaseThenABaseOfZeroStillRefuses",
     Record(4, 0x0000, {0x00, 0x01}) + "\n" + Record(4, 0x0000, {0x00, 0x00}) + "\n" + Record(0, 0x0040, {0xC3}) +
         "\n" + kEndRecord,
     {kOver8192}, 0, {{0x0040, {0xC3}}}},
    {"ParserMessageComesBeforeTheBaseRefusal", Record(2, 0x0000, {0x00, 0x01}) + "\n:00000001FE\n",
     {kChecksumError, kOver8192}, 0, {}},
    {"EmptyDataRecordLeavesTheLastAddress",
     Record(0, 0x0040, {0xC3, 0x3C}) + "\n" + Record(0, 0x0500, {}) + "\n" + kEndRecord, {}, 0x41,
     {{0x0040, {0xC3, 0x3C}}}},
    {"SingleByteAtZeroLeavesTheImageNotLoaded", Record(0, 0x0000, {0x99}) + "\n" + kEndRecord, {}, 0, {{0, {0x99}}}},
    {"EndRecordWithBadChecksum", ":0300300002337A1E\n:00000001FE\n", {kChecksumError}, 0, {kExampleBytes}},
    {"DataRecordWithBadChecksum", ":0300300002337A1F\n:00000001FF\n", {kChecksumError}, 0, {}},
    {"OtherRecordTypeWithBadChecksum", ":020000040001F8\n:00000001FF\n", {kChecksumError}, 0, {}},
    {"Max254CharactersBeforeTheFirstRecord", std::string(254, '#') + kExample, {}, 0x32, {kExampleBytes}},
    {"Over254CharactersBeforeTheFirstRecord", std::string(255, '#') + kExample, {kNotHexFormat}, 0, {}},
    {"Max253CharactersBetweenRecords", ":0300300002337A1E" + std::string(253, '\n') + kEndRecord, {}, 0x32,
     {kExampleBytes}},
    {"Over253CharactersBetweenRecords", ":0300300002337A1E" + std::string(254, '\n') + kEndRecord, {kNotHexFormat}, 0,
     {kExampleBytes}},
    {"NoEndRecord", ":0300300002337A1E\n", {kNotHexFormat}, 0, {kExampleBytes}},
    {"EmptyFile", "", {kNotHexFormat}, 0, {}},
    {"LetterBeyondFInARecord", ":03003000G2337A1E\n:00000001FF\n", {kNotHexFormat}, 0, {}},
    {"BlankInARecord", ":0300300002 337A1E\n:00000001FF\n", {kNotHexFormat}, 0, {}},
    {"RecordCutOffInItsChecksum", ":0300300002337A1", {kNotHexFormat}, 0, {}},
    {"RecordCutOffInItsCount", ":0", {kNotHexFormat}, 0, {}},
    {"RecordCutOffAfterItsStoredNeighbour", Record(0, 0x0040, {0xC3}) + "\n:01004100", {kNotHexFormat}, 0,
     {{0x0040, {0xC3}}}},
    {"Exactly24576Bytes", HexFileOfSize(24576), {}, 0x0100, {{0x0100, {0x55}}}},
};

std::string ImageDifferences(const std::uint8_t* actual, const Image& expected)
{
    std::string report;
    int shown = 0;
    for (std::size_t address = 0; address < expected.size() && shown < 4; ++address) {
        if (actual[address] != expected[address]) {
            char line[64];
            std::snprintf(line, sizeof line, "[0x%04zX] is 0x%02X, expected 0x%02X; ", address, actual[address],
                          expected[address]);
            report += line;
            ++shown;
        }
    }
    return report;
}

class HexContentsTest : public HexLoadTest, public ::testing::WithParamInterface<ContentsCase> {};

TEST_P(HexContentsTest, LoadsOrRefusesTheFile)
{
    const ContentsCase& c = GetParam();
    // An earlier image and status, and a bar that the command must reset.
    LoadImage(Bytes(16, 0xEE));
    dlg->m_progress.SetWindowText("Status before");
    dlg->m_progress.SetRange(0, 100);
    dlg->m_progress.SetPos(50);

    OpenHex(WriteFile("firmware.hex", c.contents));

    EXPECT_EQ(host.BoxTexts(), c.boxes);
    for (const ShownBox& box : host.boxes) {
        EXPECT_EQ(box.icon, 0u) << box.text;
        EXPECT_EQ(box.caption, fw::ApplicationName()) << box.text;
    }
    EXPECT_EQ(dlg->m_lastAddress, c.lastAddress);
    Image expected{};
    for (const Placement& placement : c.stored) {
        for (std::size_t i = 0; i < placement.bytes.size(); ++i)
            expected[placement.address + i] = placement.bytes[i];
    }
    EXPECT_EQ(ImageDifferences(dlg->m_image, expected), "");
    if (c.boxes.empty()) {
        EXPECT_EQ(Status(), "Load Hex File Ok");
        EXPECT_EQ(Bar(), (BarState{0, 1, 1}));
    } else {
        EXPECT_EQ(Status(), "Status before");
        EXPECT_EQ(Bar(), (BarState{0, 1, 0}));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HexContentsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ContentsCase>& info) { return std::string(info.param.name); });

// Bytes of an earlier, longer file stay in the raw buffer behind the current
// file's bytes; the parser must stop where the current file ends.
struct LeftoverCase {
    const char* name;
    std::string later;
    std::vector<Placement> stored;
};

const LeftoverCase kLeftoverCases[] = {
    {"EndRecordOfTheEarlierFileIsNotSeen", ":0300300002337A1E\n", {kExampleBytes}},
    {"CutRecordIsNotCompletedByTheEarlierFile", ":0300300002337A1", {}},
};

void PrintTo(const LeftoverCase& c, std::ostream* os) { *os << c.name; }

class HexLeftoverTest : public HexLoadTest, public ::testing::WithParamInterface<LeftoverCase> {};

TEST_P(HexLeftoverTest, LaterShorterFileIsRefused)
{
    const LeftoverCase& c = GetParam();
    OpenHex(WriteFile("earlier.hex", kExample));
    ASSERT_EQ(dlg->m_lastAddress, 0x32u);
    ASSERT_EQ(kExample.compare(0, c.later.size(), c.later), 0) << "the earlier file must begin like the later one";

    OpenHex(WriteFile("later.hex", c.later));

    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kNotHexFormat});
    EXPECT_EQ(dlg->m_lastAddress, 0u);
    Image expected{};
    for (const Placement& placement : c.stored) {
        for (std::size_t i = 0; i < placement.bytes.size(); ++i)
            expected[placement.address + i] = placement.bytes[i];
    }
    EXPECT_EQ(ImageDifferences(dlg->m_image, expected), "");
    EXPECT_EQ(Status(), "Load Hex File Ok") << "a refused load keeps the earlier status";
    EXPECT_EQ(Bar(), (BarState{0, 1, 0}));
}

INSTANTIATE_TEST_SUITE_P(Files, HexLeftoverTest, ::testing::ValuesIn(kLeftoverCases),
                         [](const ::testing::TestParamInfo<LeftoverCase>& info) { return std::string(info.param.name); });

// What the loader covers is what Program writes and Verify reads: a file
// whose records come high first and low last is programmed up to its highest
// record, and a chip that lacks any of it fails Verify.
TEST_F(HexLoadTest, DescendingRecordsAreProgrammedAndVerifiedUpToTheHighestRecord)
{
    OpenHex(WriteFile("descending.hex", Record(0, 0x0300, {0xA1, 0xA2}) + "\n" + Record(0, 0x0100, {0xB1}) + "\n" +
                                            Record(0, 0x0000, {0x02, 0x01, 0x00}) + "\n" + kEndRecord));
    ASSERT_EQ(dlg->m_lastAddress, 0x301u);
    // No bit clock: the busy-wait adds nothing to what this test shows.
    dlg->m_delayBit = 0;

    Click(IDC_AUTO);

    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{});
    EXPECT_EQ(Status(), "Verfify Ok");
    const sim::FlashImage& flash = chip->Flash();
    EXPECT_EQ(flash[0x0000], 0x02);
    EXPECT_EQ(flash[0x0100], 0xB1);
    EXPECT_EQ(flash[0x0300], 0xA1);
    EXPECT_EQ(flash[0x0301], 0xA2);
    EXPECT_EQ(flash[0x0302], 0xFF) << "nothing is written above the highest record";

    // The same chip with its highest byte lost: Verify reaches it and fails there.
    sim::ChipContents lacking = chip->Contents();
    lacking.flash[0x0301] = 0xFF;
    UseChip(lacking);
    Click(IDC_VERIFY);
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{"Verify error !!!"});
    ASSERT_TRUE(dlg->m_mismatch.has_value());
    EXPECT_EQ(dlg->m_mismatch->address, 0x301u);
    EXPECT_EQ(dlg->m_mismatch->expected, 0xA2);
    EXPECT_EQ(dlg->m_mismatch->read, 0xFF);
}

} // namespace
} // namespace test
