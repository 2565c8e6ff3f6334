// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/FileTarget.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>

namespace fw {
namespace {

constexpr int kMostLinksFollowed = 40;

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// The steps of a path; "." and empty steps ("a//b") change nothing.
std::deque<std::string> StepsOf(const std::string& path)
{
    std::deque<std::string> steps;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos)
            end = path.size();
        std::string step = path.substr(begin, end - begin);
        if (!step.empty() && step != ".")
            steps.push_back(std::move(step));
        begin = end + 1;
    }
    return steps;
}

// The kernel's protected-symlink rule: in a folder that others may write, a
// link is only as good as its owner.
bool MayFollow(const struct stat& folder, const struct stat& link)
{
    const bool shared = (folder.st_mode & S_ISVTX) != 0 || (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

bool OnProcFs(int fd)
{
    struct statfs info {};
    return ::fstatfs(fd, &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

std::optional<std::string> LinkText(int linkFd)
{
    std::string text(4096, '\0');
    const ssize_t n = ::readlinkat(linkFd, "", text.data(), text.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= text.size())
        return std::nullopt;
    text.resize(static_cast<std::size_t>(n));
    return text;
}

UniqueFd OpenFolderPath(const char* path) { return UniqueFd(::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC)); }

} // namespace

std::string FileTarget::Path() const { return Join(folderPath, name); }

std::string FileTarget::Beside(const std::string& otherName) const { return Join(folderPath, otherName); }

bool SameObject(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

std::optional<FileTarget> ResolveFileTarget(const std::string& path, MissingFolders folders, std::string& error)
{
    const auto fail = [&](std::string why) {
        error = std::move(why);
        return std::optional<FileTarget>();
    };
    const bool absolute = path.starts_with('/');
    UniqueFd folder = OpenFolderPath(absolute ? "/" : ".");
    std::string where = absolute ? "/" : "";
    if (!folder.Valid())
        return fail("cannot open the folder " + std::string(absolute ? "/" : ".") + ": " + std::strerror(errno));
    std::deque<std::string> steps = StepsOf(path);
    if (steps.empty())
        return fail(path + " names no file");
    int linksFollowed = 0;
    while (!steps.empty()) {
        const std::string step = std::move(steps.front());
        steps.pop_front();
        const bool last = steps.empty();
        const std::string stepPath = Join(where, step);
        UniqueFd opened(::openat(folder.Get(), step.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!opened.Valid() && errno == ENOENT && !last && folders == MissingFolders::Create) {
            if (::mkdirat(folder.Get(), step.c_str(), 0777) != 0 && errno != EEXIST)
                return fail("cannot create the folder " + stepPath + ": " + std::strerror(errno));
            opened.Reset(::openat(folder.Get(), step.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        }
        struct stat info {};
        if (!opened.Valid() && errno == ENOENT && last) {
            FileTarget target;
            target.folder = std::move(folder);
            target.folderPath = where.empty() ? "." : where;
            target.name = step;
            return target;
        }
        if (!opened.Valid() && errno == ENOENT) {
            return fail("the folder " + stepPath + " does not exist; create it, or choose a file in a folder that "
                        "exists (folders are made only for the default locations)");
        }
        if (!opened.Valid() || ::fstat(opened.Get(), &info) != 0)
            return fail("cannot look at " + stepPath + ": " + std::strerror(errno));

        if (S_ISLNK(info.st_mode)) {
            struct stat folderInfo {};
            if (::fstat(folder.Get(), &folderInfo) != 0)
                return fail("cannot look at the folder of " + stepPath + ": " + std::strerror(errno));
            if (!MayFollow(folderInfo, info)) {
                return fail("the symlink " + stepPath + " is not followed: it belongs to another user (uid " +
                            std::to_string(info.st_uid) + ") in the shared folder " + (where.empty() ? "." : where) +
                            ", so it may lead anywhere. Remove it, or choose another name");
            }
            if (++linksFollowed > kMostLinksFollowed)
                return fail("cannot reach " + path + ": too many symlinks on the way (a loop?)");
            const std::optional<std::string> text = LinkText(opened.Get());
            if (!text)
                return fail("cannot read the symlink " + stepPath + ": " + std::strerror(errno));
            // The kernel's own links (/proc/self/fd/1) may lead to an object
            // without a name, such as a pipe; the kernel finds it.
            if (last && OnProcFs(folder.Get()) && !text->starts_with('/')) {
                FileTarget target;
                target.unnamed.Reset(::openat(folder.Get(), step.c_str(), O_PATH | O_CLOEXEC));
                struct stat object {};
                if (!target.unnamed.Valid() || ::fstat(target.unnamed.Get(), &object) != 0)
                    return fail("cannot look at " + stepPath + ": " + std::strerror(errno));
                target.name = path;
                target.existing = object;
                return target;
            }
            const std::deque<std::string> linkSteps = StepsOf(*text);
            steps.insert(steps.begin(), linkSteps.begin(), linkSteps.end());
            if (text->starts_with('/')) {
                folder = OpenFolderPath("/");
                where = "/";
            }
            if (steps.empty())
                steps.push_back(".");
            continue;
        }
        if (last) {
            FileTarget target;
            target.folder = std::move(folder);
            target.folderPath = where.empty() ? "." : where;
            target.name = step;
            target.existing = info;
            return target;
        }
        if (!S_ISDIR(info.st_mode))
            return fail("cannot reach " + path + ": " + stepPath + " is not a folder");
        folder = std::move(opened);
        where = stepPath;
    }
    return fail(path + " names no file");
}

} // namespace fw
