// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An exclusive lock that programs take before they read and replace a file
// they share. The lock is held on ".NAME.lock" beside the file that path
// leads to (symlinks followed as ResolveFileTarget allows), not on the file
// itself, which a replacement swaps for a new one. The lock file is opened
// without following a link; one that is a link, a folder or anything but a
// regular file, or that cannot be made, is never worked around: the lock is
// then Unavailable and the caller does not go on.
#include <string>

#include "framework/FileTarget.h"

namespace fw {

class FileLock {
public:
    enum class Wait { No, Yes };
    enum class State {
        Held,        // this object holds the lock
        InUse,       // another holder has it (only without waiting)
        Unavailable, // no lock could be taken; error says why and what to do
    };

    // Creates the missing folders on the way first when folders says so.
    FileLock(const std::string& path, Wait wait, MissingFolders folders = MissingFolders::Refuse);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    State GetState() const { return state_; }
    const std::string& Error() const { return error_; }

private:
    void Take(const FileTarget& target, Wait wait);

    int fd_ = -1;
    State state_ = State::Unavailable;
    std::string error_;
};

} // namespace fw
