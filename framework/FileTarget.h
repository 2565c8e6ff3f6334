// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Finding the file that a path leads to without letting anybody else choose
// it: every step is opened once, without the kernel following links, and a
// symlink is followed only where its owner may decide where it goes. In a
// sticky or world-writable folder (/tmp, a shared drop folder) that is its
// own user or the folder's owner; a link that another user planted there is
// refused, whatever the kernel's own protection is set to.
#include <sys/stat.h>

#include <optional>
#include <string>

#include "framework/UniqueFd.h"

namespace fw {

enum class MissingFolders {
    Refuse, // a path the user gave: a missing folder is an error
    Create, // a default location (the XDG folders): made as needed
};

// Where a path leads: the folder that holds the last name, opened (O_PATH),
// and what that name held when it was looked at.
struct FileTarget {
    UniqueFd folder;
    // The folder's path and the name in it, as the steps spelled them; for
    // messages and for names beside the file.
    std::string folderPath;
    std::string name;
    // The object found there, when there is one (never a symlink).
    std::optional<struct stat> existing;
    // An object that a link of the kernel's own leads to and that has no name
    // in a folder (/dev/stdout on a pipe or terminal); opened (O_PATH), and
    // folder is then not set.
    UniqueFd unnamed;

    std::string Path() const;
    // A name beside the file: folderPath + "/" + name.
    std::string Beside(const std::string& otherName) const;
};

// Resolves path. Nothing when a step cannot be taken, with error saying why
// and what to do: a refused link, a missing folder (created first when
// folders is Create), a step that is not a folder, a loop of links.
std::optional<FileTarget> ResolveFileTarget(const std::string& path, MissingFolders folders, std::string& error);

// Same device and inode: the object a path leads to has not changed.
bool SameObject(const struct stat& a, const struct stat& b);

} // namespace fw
