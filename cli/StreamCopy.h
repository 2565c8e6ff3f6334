// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A HEX file that arrives as a stream (standard input, a pipe, a FIFO, a
// character device) as a file the HEX loader can open: a stream has no
// length and cannot be read twice, so what arrives is copied into an
// anonymous memory file first. The loader then sees a file as long as what
// was read.
#include <cstddef>
#include <string>

namespace cli {

class StreamCopy {
public:
    // "-" (standard input), or a path that names a FIFO or a character
    // device (/dev/stdin on a pipe, the /dev/fd/N of a shell's <(...)).
    static bool IsStream(const std::string& path);

    // Reads the stream to its end, or up to limit + 1 bytes: one byte past
    // the limit is enough for the loader to refuse the input as too long, and
    // an endless input does not hang the run. A stop signal (StopSignals)
    // ends the wait for more input at once. Error() and Stopped() tell how it
    // went.
    StreamCopy(const std::string& path, std::size_t limit);
    ~StreamCopy();
    StreamCopy(const StreamCopy&) = delete;
    StreamCopy& operator=(const StreamCopy&) = delete;

    // Empty when the copy holds the whole stream (or its first limit + 1
    // bytes); else what went wrong.
    const std::string& Error() const { return error_; }
    // Whether a stop signal ended the reading; Error() then says so too.
    bool Stopped() const { return stopped_; }
    // A path that opens the copy.
    std::string Path() const;

private:
    void Copy(int fd, const std::string& name, std::size_t limit);

    int copy_ = -1;
    bool stopped_ = false;
    std::string error_;
};

} // namespace cli
