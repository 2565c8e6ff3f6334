// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ChipFile.h"

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "framework/SafeFile.h"

namespace sim {
namespace {

// The reader's error as part of a sentence about the chip file.
std::string ChipFileError(const std::string& path, const std::string& error)
{
    return error.starts_with(path) ? "the chip file " + error : "cannot use the chip file: " + error;
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return user->pw_dir;
    return {};
}

} // namespace

ChipFileLoad ChipFile::Load() const
{
    std::string bytes;
    std::string error;
    switch (fw::ReadRegularFile(path_, kChipFileSize, bytes, &error)) {
    case fw::ReadResult::Missing:
        return {ChipContents{}, {}};
    case fw::ReadResult::Failed:
        return {std::nullopt, ChipFileError(path_, error)};
    case fw::ReadResult::Read:
        break;
    }
    if (bytes.size() != kChipFileSize) {
        return {std::nullopt, "the chip file " + path_ + " is " + std::to_string(bytes.size()) +
                                  " bytes long; a chip file is exactly " + std::to_string(kChipFileSize) +
                                  " bytes (" + std::to_string(kFlashSize) + " flash bytes and one lock byte)"};
    }
    ChipContents contents;
    std::copy_n(bytes.begin(), kFlashSize, contents.flash.begin());
    contents.lockBits = static_cast<std::uint8_t>(bytes[kFlashSize]) & kLockBitsMask;
    return {contents, {}};
}

bool ChipFile::Save(const ChipContents& contents, std::string* error) const
{
    if (const ChipFileLoad existing = Load(); !existing.contents) {
        if (error)
            *error = "not saving the chip over it: " + existing.error;
        return false;
    }
    std::string folderError;
    if (folders_ == fw::MissingFolders::Create && !fw::MakeFoldersFor(path_, &folderError)) {
        if (error)
            *error = ChipFileError(path_, folderError);
        return false;
    }
    std::string bytes(contents.flash.begin(), contents.flash.end());
    bytes.push_back(static_cast<char>(contents.lockBits & kLockBitsMask));
    std::string replaceError;
    if (fw::ReplaceFile(path_, bytes, fw::NonRegularFile::Refuse, &replaceError))
        return true;
    if (error)
        *error = ChipFileError(path_, replaceError);
    return false;
}

std::string DefaultChipPath()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    // Relative values are not valid there and are ignored.
    const std::string base = dataHome && *dataHome == '/' ? std::string(dataHome) : HomeFolder() + "/.local/share";
    return base + "/brovik/simulated-chip.bin";
}

} // namespace sim
