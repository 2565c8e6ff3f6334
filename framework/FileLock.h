#pragma once
// An exclusive lock that programs take before they read and replace a file
// they share. The lock is held on ".NAME.lock" beside the file that path
// leads to (symlinks followed), not on the file itself, which a replacement
// swaps for a new one.
#include <string>

namespace fw {

class FileLock {
public:
    enum class Wait { No, Yes };
    enum class State {
        Held,        // this object holds the lock
        InUse,       // another holder has it (only without waiting)
        Unavailable, // no lock file could be made or opened; error says why
    };

    // Creates the folder of the lock file when it is missing.
    FileLock(const std::string& path, Wait wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    State GetState() const { return state_; }
    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
    std::string error_;
};

} // namespace fw
