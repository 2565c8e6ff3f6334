// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Helpers for tests on real files: their bytes and mode, the umask, and work
// done as an ordinary user, which is what a read-only file means something to.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>

namespace test {

// The user that tests running as root drop to.
inline constexpr uid_t kNobody = 65534;

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// The mode of path itself (a link is not followed).
mode_t ModeOf(const std::filesystem::path& path);

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask);
    ~ScopedUmask();
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// Runs body in a child process as an ordinary user: kNobody when the tests
// run as root (root may write any file), else the test's own user. True when
// body returned true.
bool InChildAsOrdinaryUser(const std::function<bool()>& body);

// Gives file to that ordinary user, in a folder it may write; nothing to do
// when the tests do not run as root. False when that failed.
bool HandToOrdinaryUser(const std::filesystem::path& folder, const std::filesystem::path& file);

} // namespace test
