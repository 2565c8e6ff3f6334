// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main dialog with a scratch folder for HEX files, and "Open Hex File"
// clicked for a path chosen in the (test host's) file dialog.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/MainDialogFixture.h"
#include "tests/support/TempDir.h"

namespace test {

// One Intel HEX record with its checksum, without a line end.
std::string Record(std::uint8_t type, std::uint16_t address, const std::vector<std::uint8_t>& data);
inline const std::string kEndRecord = ":00000001FF";
// Three data bytes at 0x0030 and the end record, one record per line.
inline const std::string kExample = ":0300300002337A1E\n:00000001FF\n";
// A valid file of exactly size bytes (at least 25): one data byte at 0x0100,
// zero-length data records, and the end record as its last bytes.
std::string HexFileOfSize(std::size_t size);

inline const std::string kNotHexFormat = "File not intel hex format\n";
inline const std::string kChecksumError = "Check sum error";
inline const std::string kOver8192 = "Error! Your hex file is more than 8192 bytes.";
inline const std::string kOver24576 = "Error! Your hex file is more than 24576 bytes.";

class HexLoadTest : public MainDialogTest {
public:
    std::string PathOf(const std::string& name) const { return m_dir.File(name); }
    // Writes contents to name in the scratch folder; returns the full path.
    std::string WriteFile(const std::string& name, const std::string& contents) const;

protected:
    void SetUp() override { Start(); }

    // Chooses path in the file dialog and clicks "Open Hex File".
    void OpenHex(const std::string& path);
    // Clicks "Open Hex File" and cancels the file dialog.
    void CancelOpenHex();

private:
    test::TempDir m_dir;
};

} // namespace test
