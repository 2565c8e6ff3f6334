#pragma once
// Standard input as a file the HEX loader can open: a pipe has no length and
// cannot be read twice, so what arrives is copied into an anonymous memory
// file first. The loader then sees a file as long as what was read.
#include <cstddef>
#include <string>

namespace cli {

class StandardInputCopy {
public:
    // Reads standard input to its end, or up to limit + 1 bytes: one byte past
    // the limit is enough for the loader to refuse the input as too long, and
    // an endless input does not hang the run. Error() tells whether it could
    // be read.
    explicit StandardInputCopy(std::size_t limit);
    // Reads from fd instead of standard input.
    StandardInputCopy(int fd, std::size_t limit);
    ~StandardInputCopy();
    StandardInputCopy(const StandardInputCopy&) = delete;
    StandardInputCopy& operator=(const StandardInputCopy&) = delete;

    // Empty when the copy exists; else what went wrong.
    const std::string& Error() const { return error_; }
    // A path that opens the copy.
    std::string Path() const;

private:
    int copy_ = -1;
    std::string error_;
};

} // namespace cli
