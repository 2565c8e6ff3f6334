// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the port model saw, written for a test to check afterwards.
//
// The journal file holds one 8-byte record per register access that reached
// the port hardware, in order: microseconds since the journal was opened
// (32-bit little-endian), the port's index, the kind of access (a JournalKind
// letter) and the register byte (written, or read back).
//
// Beside it, the events file (the journal's path + ".events") holds text
// lines that refer to records by their index in the journal:
//   mark INDEX TEXT                a line the guest wrote to its marks file,
//                                  seen before record INDEX
//   chip PORT INDEX HEX            the chip of port PORT before record INDEX:
//                                  the chip file's bytes in hexadecimal
#include <cstdint>
#include <cstdio>
#include <string>

#include "sim/ChipContents.h"

namespace ppdev {

enum class JournalKind : char {
    Claim = 'L',
    Release = 'U',
    WriteData = 'W',
    ReadData = 'R',
    ReadStatus = 'S',
    WriteControl = 'C',  // PPWCONTROL and PPFCONTROL; the byte is the register after it
    ReadControl = 'c',
    DataDirection = 'I', // 1: the data lines turned to input, 0: to output
};

class WireJournal {
public:
    // Opens (truncates) both files; Failed() says whether that went wrong.
    explicit WireJournal(const std::string& path);
    ~WireJournal();
    WireJournal(const WireJournal&) = delete;
    WireJournal& operator=(const WireJournal&) = delete;

    bool Failed() const { return !records_ || !events_; }
    const std::string& Path() const { return path_; }

    void Record(std::int64_t nowMicroseconds, int port, JournalKind kind, std::uint8_t value);
    void Mark(const std::string& line);
    void Chip(int port, const sim::ChipContents& contents);
    // Puts everything recorded so far into the files.
    void Flush();

private:
    std::string path_;
    std::FILE* records_ = nullptr;
    std::FILE* events_ = nullptr;
    std::int64_t start_ = -1;
    std::uint64_t count_ = 0;
};

} // namespace ppdev
