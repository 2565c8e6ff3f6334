// SPDX-License-Identifier: GPL-2.0-or-later
// One operation on the chip that a chip file keeps: it starts from the file
// as it is then, writes back what changed however it ends, and does not
// start while another program holds the chip.
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "framework/FileLock.h"
#include "framework/VirtualClock.h"
#include "sim/ChipOperation.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

sim::ChipContents Filled(std::uint8_t value, std::uint8_t lockBits = 0)
{
    sim::ChipContents contents;
    contents.flash.fill(value);
    contents.lockBits = lockBits;
    return contents;
}

class ChipOperationTest : public ::testing::Test {
protected:
    sim::ChipContents Stored() const
    {
        const sim::ChipFileLoad loaded = file.Load();
        EXPECT_TRUE(loaded.contents) << loaded.error;
        return loaded.contents.value_or(sim::ChipContents{});
    }

    test::TempDir temp;
    const std::string path = (temp.Path() / "chip.bin").string();
    const sim::ChipFile file{path};
    fw::VirtualClock clock;
    sim::TargetChip chip{clock, Filled(0x11)};
};

TEST_F(ChipOperationTest, StartsFromTheFileAsItIsAndWritesTheChangeBack)
{
    ASSERT_TRUE(file.Save(Filled(0x22, sim::kLockBit1)));
    sim::ChipOperation operation(file, chip);
    ASSERT_EQ(operation.Started(), sim::ChipOperation::Start::Ready);
    EXPECT_EQ(chip.Contents(), Filled(0x22, sim::kLockBit1));

    chip.LoadContents(Filled(0x33));
    std::string error;
    EXPECT_TRUE(operation.Finish(&error)) << error;
    EXPECT_EQ(Stored(), Filled(0x33));
}

TEST_F(ChipOperationTest, AnOperationThatUnwindsStillWritesBackWhatTheChipHolds)
{
    try {
        sim::ChipOperation operation(file, chip);
        ASSERT_EQ(operation.Started(), sim::ChipOperation::Start::Ready);
        chip.LoadContents(Filled(0x44, sim::kLockBit2));
        throw std::runtime_error("stopped half-way");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(Stored(), Filled(0x44, sim::kLockBit2));
    const sim::ChipOperation next(file, chip);
    EXPECT_EQ(next.Started(), sim::ChipOperation::Start::Ready) << "the lock went with the operation";
}

TEST_F(ChipOperationTest, AnOperationThatChangesNothingWritesNothing)
{
    {
        sim::ChipOperation operation(file, chip);
        ASSERT_EQ(operation.Started(), sim::ChipOperation::Start::Ready);
        EXPECT_EQ(chip.Contents(), sim::ChipContents{}) << "a missing file is a blank chip";
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ChipOperationTest, AChipInUseIsNeitherLoadedNorWritten)
{
    ASSERT_TRUE(file.Save(Filled(0x55)));
    const fw::FileLock otherProgram(path, fw::FileLock::Wait::No);
    ASSERT_EQ(otherProgram.GetState(), fw::FileLock::State::Held);
    {
        sim::ChipOperation operation(file, chip);
        EXPECT_EQ(operation.Started(), sim::ChipOperation::Start::InUse);
        EXPECT_EQ(operation.Problem(),
                  "the simulated chip " + path + " is in use by another program; try again when it has finished");
        EXPECT_EQ(chip.Contents(), Filled(0x11));
        chip.LoadContents(Filled(0x66));
    }
    EXPECT_EQ(Stored(), Filled(0x55));
}

TEST_F(ChipOperationTest, AFileThatIsNoChipFileIsRefusedAndKept)
{
    std::ofstream(path, std::ios::binary) << "not a chip";
    {
        sim::ChipOperation operation(file, chip);
        EXPECT_EQ(operation.Started(), sim::ChipOperation::Start::Refused);
        EXPECT_NE(operation.Problem().find("10 bytes long"), std::string::npos) << operation.Problem();
        chip.LoadContents(Filled(0x77));
    }
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not a chip");
}

} // namespace
