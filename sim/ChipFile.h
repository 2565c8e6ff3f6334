// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The file that keeps the simulated chip between runs: exactly 8192 flash
// bytes followed by one byte of lock bits.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "framework/FileTarget.h"
#include "sim/ChipContents.h"

namespace sim {

inline constexpr std::size_t kChipFileSize = kFlashSize + 1;

struct ChipFileLoad {
    // Present when the file was read or is missing (a blank chip); absent
    // when the file is there but is not a chip file, and error says why.
    std::optional<ChipContents> contents;
    std::string error;
};

class ChipFile {
public:
    // folders: Create only for the default location; a file the user named
    // must be in a folder that exists.
    explicit ChipFile(std::string path, fw::MissingFolders folders = fw::MissingFolders::Refuse)
        : path_(std::move(path)), folders_(folders)
    {
    }

    const std::string& Path() const { return path_; }
    fw::MissingFolders Folders() const { return folders_; }

    // Reads the file without waiting on it: a FIFO or device is refused.
    ChipFileLoad Load() const;

    // Writes contents through fw::ReplaceFile, creating the folders first if
    // Folders() says so.
    // Refuses, leaving the file as it is, when the file there cannot be
    // loaded as a chip file: whatever the user keeps there is never lost to a
    // save.
    bool Save(const ChipContents& contents, std::string* error = nullptr) const;

private:
    std::string path_;
    fw::MissingFolders folders_;
};

// $XDG_DATA_HOME (else ~/.local/share) + "/brovik/simulated-chip.bin".
std::string DefaultChipPath();

} // namespace sim
