// SPDX-License-Identifier: GPL-2.0-or-later
// The read-back file: its exact records, and the dialog's own loader reading
// a whole flash of it back.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "cli/HexWriter.h"
#include "tests/support/MainDialogFixture.h"

namespace {

namespace fs = std::filesystem;

TEST(HexWriterTest, RecordsOfSixteenBytesWithChecksumsAndAnEndRecord)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string text;
    };
    std::vector<std::uint8_t> seventeen(17, 0xFF);
    seventeen[16] = 0x5A;
    const Case cases[] = {
        {{}, ":00000001FF\n"},
        {{0x02, 0x33, 0x7A}, ":0300000002337A4E\n:00000001FF\n"},
        {{0x00}, ":0100000000FF\n:00000001FF\n"},
        {seventeen, ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00\n:010010005A95\n:00000001FF\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(cli::IntelHexText(c.bytes), c.text);
    }
}

TEST(HexWriterTest, RecordAddressesCountOnInTheHighByte)
{
    const std::vector<std::uint8_t> flash(8192, 0xAB);
    const std::string text = cli::IntelHexText(flash);
    std::string data;
    for (int i = 0; i < 16; ++i)
        data += "AB";
    // The last record is at 0x1FF0; 0x10 + 0x1F + 0xF0 + 16 * 0xAB = 0xBCF, so its checksum is 0x31.
    const std::string lastRecord = ":101FF000" + data + "31\n";
    EXPECT_EQ(text.substr(text.size() - lastRecord.size() - 12), lastRecord + ":00000001FF\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 513);
}

class HexReadBackTest : public test::MainDialogTest {};

TEST_F(HexReadBackTest, TheDialogsLoaderReadsAWholeFlashBack)
{
    std::vector<std::uint8_t> flash(8192);
    for (std::size_t i = 0; i < flash.size(); ++i)
        flash[i] = static_cast<std::uint8_t>((i * 13) ^ (i >> 8));
    const fs::path file = fs::path(host.IniPath()).parent_path() / "read.hex";
    std::ofstream(file, std::ios::binary) << cli::IntelHexText(flash);

    Start();
    host.onOpenFile = [&](std::string& path) {
        path = file.string();
        return true;
    };
    Click(IDC_OPENHEX);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text;
    EXPECT_EQ(Status(), "Load Hex File Ok");
    EXPECT_EQ(dlg->m_lastAddress, 8191u);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), dlg->m_image));
}

} // namespace
