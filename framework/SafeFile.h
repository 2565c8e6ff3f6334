// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading and replacing the files a user keeps (settings, the simulated chip,
// flash dumps) without losing, replacing or exposing anything.
#include <string>
#include <string_view>

namespace fw {

// What to do with an existing destination that is not a regular file.
enum class NonRegularFile {
    Refuse,         // fail and leave it as it is
    WriteAsStream,  // write the contents into it (a device, a FIFO)
};

// Replaces the file at path with contents so that a reader sees either the
// old file or the new one, never a part:
// - a symlink is followed as ResolveFileTarget allows (never one that another
//   user planted in a shared folder); the file it leads to is replaced, the
//   link stays; a missing folder is an error;
// - the file is checked, written and renamed through its folder as it was
//   opened once; when the name no longer holds the object checked at the
//   moment of the rename (another user swapped it), nothing is replaced;
// - an existing file keeps its permission bits, and its owner and group where
//   the process may set them, taken from the object replaced; a new file gets
//   0666 less the umask;
// - an existing file that the process could not write in place (read-only
//   for it) is left alone, as is a folder or socket; a device or FIFO is
//   refused or written to as nonRegular says;
// - the new contents go to a temporary file beside the target, which is
//   synced, renamed over it, and the folder synced, before true is returned.
// On failure nothing is replaced, the temporary file is removed, and error
// (if given) says what failed, naming the file. Temporary files that killed
// runs left beside the target are removed first.
bool ReplaceFile(const std::string& path, std::string_view contents, NonRegularFile nonRegular,
                 std::string* error = nullptr);

// Writes all of contents to an open descriptor (a terminal, a pipe); name is
// what error calls it.
bool WriteToStream(int fd, std::string_view contents, const std::string& name, std::string* error = nullptr);

enum class ReadResult { Read, Missing, Failed };

// The whole of a regular file, at most maxSize bytes (beyond that the read
// fails). Anything else (a FIFO, a device, a folder) is refused without
// waiting for it to produce data. Missing: there is nothing at path.
ReadResult ReadRegularFile(const std::string& path, std::size_t maxSize, std::string& contents,
                           std::string* error = nullptr);

// Creates the missing folders on the way to the file that path leads to
// (0777 less the umask), following links as ResolveFileTarget allows; only
// for the default locations. True when the folder of the file exists.
bool MakeFoldersFor(const std::string& path, std::string* error = nullptr);

// True when a and b lead to the same file: the same device and inode, or,
// while neither exists, the same name in the same folder.
bool SameFile(const std::string& a, const std::string& b);

} // namespace fw
