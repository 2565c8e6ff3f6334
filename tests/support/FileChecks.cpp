// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/FileChecks.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace test {

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

mode_t ModeOf(const std::filesystem::path& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

ScopedUmask::ScopedUmask(mode_t mask) : old_(::umask(mask)) {}

ScopedUmask::~ScopedUmask() { ::umask(old_); }

bool InChildAsOrdinaryUser(const std::function<bool()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0))
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool HandToOrdinaryUser(const std::filesystem::path& folder, const std::filesystem::path& file)
{
    if (::geteuid() != 0)
        return true;
    std::error_code error;
    std::filesystem::permissions(folder, std::filesystem::perms::all, error);
    return !error && ::chown(file.c_str(), kNobody, kNobody) == 0;
}

} // namespace test
