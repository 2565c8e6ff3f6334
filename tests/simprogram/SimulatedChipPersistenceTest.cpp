// SPDX-License-Identifier: GPL-2.0-or-later
// brovik-sim's chip file: each operation of the dialog starts from what the
// file holds at that moment and writes its changes back before the next one,
// holding the file's lock meanwhile.
#include <filesystem>
#include <functional>
#include <fstream>

#include <gtest/gtest.h>

#include "app/ChipCommands.h"
#include "framework/FileLock.h"
#include "sim/ChipFileCommands.h"
#include "tests/support/MainDialogFixture.h"
#include "tests/support/TempDir.h"

namespace {

const std::vector<std::uint8_t> kImage{0x02, 0x00, 0x30, 0x75, 0x81, 0x60, 0xE4, 0xF5};

class SimulatedChipPersistence : public test::MainDialogTest {
protected:
    // What brovik-sim does: every operation is one operation on the file.
    void StartProgram()
    {
        UseChip();
        chipCommands = std::make_unique<sim::ChipFileCommands>(file, *chip, WorksTheChip);
        dlg = std::make_unique<CBrovikDlg>();
        Start();
    }
    void EndProgram()
    {
        chipCommands.reset();
        dlg.reset();
    }
    sim::ChipContents Stored() const
    {
        const sim::ChipFileLoad loaded = file.Load();
        EXPECT_TRUE(loaded.contents) << loaded.error;
        return loaded.contents.value_or(sim::ChipContents{});
    }

    test::TempDir folder;
    std::string path = folder.File("chip.bin");
    sim::ChipFile file{path};
    std::unique_ptr<sim::ChipFileCommands> chipCommands;
};

TEST_F(SimulatedChipPersistence, AProgrammedImageIsThereAtTheNextStart)
{
    StartProgram();
    LoadImage(kImage);
    Click(IDC_PROGRAM);
    ASSERT_EQ(Status(), "Program Flash Ok");
    EXPECT_EQ(std::filesystem::file_size(path), 8193u) << "written when the operation ended";
    EndProgram();

    StartProgram();
    LoadImage(kImage);
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

TEST_F(SimulatedChipPersistence, WhatAnotherProgramWroteBetweenTwoOperationsIsSeen)
{
    StartProgram();
    LoadImage(kImage);
    Click(IDC_PROGRAM);
    ASSERT_EQ(Status(), "Program Flash Ok");

    // Another program erases the chip meanwhile.
    ASSERT_TRUE(file.Save(sim::ChipContents{}));
    Click(IDC_BLANK);
    EXPECT_EQ(Status(), "Blank Ok") << "the dialog still worked on the chip it programmed";

    // And programs it again, with lock level 2 set.
    sim::ChipContents locked;
    std::copy(kImage.begin(), kImage.end(), locked.flash.begin());
    locked.lockBits = sim::kLockBit1 | sim::kLockBit2;
    ASSERT_TRUE(file.Save(locked));
    Click(IDC_VERIFY);
    EXPECT_NE(Status(), "Verfify Ok") << "the code is no longer readable";
    EXPECT_EQ(chip->LockBits(), sim::kLockBit1 | sim::kLockBit2);

    Click(IDC_ERASE);
    EXPECT_EQ(Status(), "Erase Ok");
    EXPECT_EQ(Stored(), sim::ChipContents{}) << "the erase went back to the file";
}

TEST_F(SimulatedChipPersistence, AChipInUseByAnotherProgramIsNotWorkedAndABoxSaysSo)
{
    sim::ChipContents programmed;
    std::copy(kImage.begin(), kImage.end(), programmed.flash.begin());
    ASSERT_TRUE(file.Save(programmed));
    StartProgram();
    const std::string before = Status();
    {
        const fw::FileLock otherProgram(path, fw::FileLock::Wait::No);
        ASSERT_EQ(otherProgram.GetState(), fw::FileLock::State::Held);
        Click(IDC_ERASE);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, "The operation was not run: the simulated chip " + path +
                                          " is in use by another program; try again when it has finished.");
        EXPECT_EQ(host.boxes[0].icon, MB_ICONHAND);
        EXPECT_EQ(Status(), before) << "the erase did not start";
        EXPECT_EQ(Stored(), programmed);
    }
    Click(IDC_ERASE);
    EXPECT_EQ(Status(), "Erase Ok");
    EXPECT_EQ(Stored(), sim::ChipContents{});
    EXPECT_EQ(host.boxes.size(), 1u);
}

TEST_F(SimulatedChipPersistence, AChipWhoseLockCannotBeTakenIsNotWorkedAndABoxSaysWhatToDo)
{
    sim::ChipContents programmed;
    std::copy(kImage.begin(), kImage.end(), programmed.flash.begin());
    ASSERT_TRUE(file.Save(programmed));
    const std::string lock = folder.File(".chip.bin.lock");
    const std::string elsewhere = folder.File("elsewhere");
    struct Case {
        const char* name;
        std::function<void()> plant;
        std::string reason;
    };
    const Case cases[] = {
        {"a symlink", [&] { std::filesystem::create_symlink(elsewhere, lock); },
         "the lock file " + lock + " is a symlink, which is never followed; remove it (rm " + lock + ") and try again"},
        {"a folder", [&] { std::filesystem::create_directory(lock); },
         "the lock file " + lock + " is a folder; remove it (rmdir " + lock + ") and try again"},
    };
    StartProgram();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.plant();
        host.boxes.clear();
        Click(IDC_ERASE);
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, "The operation was not run: the simulated chip " + path +
                                          " cannot be locked, so it is not used: " + c.reason + ".");
        EXPECT_EQ(host.boxes[0].icon, MB_ICONHAND);
        EXPECT_EQ(Stored(), programmed);
        EXPECT_FALSE(std::filesystem::exists(elsewhere));
        std::filesystem::remove(lock);
    }
    host.boxes.clear();
    Click(IDC_ERASE);
    EXPECT_EQ(Status(), "Erase Ok");
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SimulatedChipPersistence, CommandsThatDoNotWorkTheChipRunWhileItIsInUse)
{
    StartProgram();
    const fw::FileLock otherProgram(path, fw::FileLock::Wait::No);
    Click(IDC_LPT2);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(host.GetProfileInt("BROVIK", "LPT PORT", 0), 2);
}

TEST_F(SimulatedChipPersistence, AChipFileOfTheWrongSizeIsReportedAndKept)
{
    std::ofstream(path, std::ios::binary) << std::string(100, 'x');
    StartProgram();
    Click(IDC_ERASE);
    ASSERT_EQ(host.boxes.size(), 1u);
    for (const char* part : {"The operation was not run: ", path.c_str(), "100", "8193"})
        EXPECT_NE(host.boxes[0].text.find(part), std::string::npos) << host.boxes[0].text;
    EXPECT_EQ(std::filesystem::file_size(path), 100u);
}

} // namespace
