// brovik-sim's chip file across program runs: written at the end of every
// operation that changed the chip, read again at the next start.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "sim/ChipKeeper.h"
#include "tests/support/TempDir.h"
#include "tests/support/MainDialogFixture.h"

namespace {

class SimulatedChipPersistence : public test::MainDialogTest {
protected:
    ~SimulatedChipPersistence() override { fw::SetCommandDoneHandler({}); }

    // What brovik-sim does at start: load the chip file, keep it saved.
    void StartProgram()
    {
        const sim::ChipFileLoad loaded = file.Load();
        ASSERT_TRUE(loaded.contents) << loaded.error;
        UseChip(*loaded.contents);
        keeper = std::make_unique<sim::ChipKeeper>(file, *chip);
        fw::SetCommandDoneHandler([this] { ASSERT_TRUE(keeper->SaveIfChanged(nullptr)); });
        dlg = std::make_unique<CBrovikDlg>();
        Start();
    }
    void EndProgram()
    {
        fw::SetCommandDoneHandler({});
        dlg.reset();
        keeper.reset();
    }

    test::TempDir folder;
    std::string path = folder.File("chip.bin");
    sim::ChipFile file{path};
    std::unique_ptr<sim::ChipKeeper> keeper;
};

TEST_F(SimulatedChipPersistence, AProgrammedImageIsThereAtTheNextStart)
{
    const std::vector<std::uint8_t> image{0x02, 0x00, 0x30, 0x75, 0x81, 0x60, 0xE4, 0xF5};
    StartProgram();
    LoadImage(image);
    Click(IDC_PROGRAM);
    ASSERT_EQ(Status(), "Program Flash Ok");
    EXPECT_EQ(std::filesystem::file_size(path), 8193u) << "written when the operation ended";
    EndProgram();

    StartProgram();
    LoadImage(image);
    Click(IDC_VERIFY);
    EXPECT_EQ(Status(), "Verfify Ok");
}

TEST_F(SimulatedChipPersistence, OperationsThatChangeNothingWriteNothing)
{
    StartProgram();
    Click(IDC_BLANK);
    EXPECT_EQ(Status(), "Blank Ok");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SimulatedChipPersistence, AChipFileOfTheWrongSizeIsReportedAndKept)
{
    std::ofstream(path, std::ios::binary) << std::string(100, 'x');
    const sim::ChipFileLoad loaded = file.Load();
    EXPECT_FALSE(loaded.contents);
    for (const char* part : {path.c_str(), "100", "8193"})
        EXPECT_NE(loaded.error.find(part), std::string::npos) << loaded.error;
    EXPECT_FALSE(file.Save(sim::ChipContents{}));
    EXPECT_EQ(std::filesystem::file_size(path), 100u);
}

} // namespace
