// SPDX-License-Identifier: GPL-2.0-or-later
// Loading the largest HEX file the program accepts (24576 bytes) through the
// "Open Hex File" command, and its parse alone.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/Benchmarks.h"
#include "bench/DialogRig.h"
#include "bench/Timing.h"
#include "res/Texts.h"

namespace bench {
namespace {

constexpr std::size_t kFileSize = CBrovikDlg::kFileBufferSize;
constexpr std::uint32_t kRecordBytes = 16;
constexpr double kTargetMicroseconds = 1000;

std::string DataRecord(std::uint32_t address)
{
    char text[64];
    int length = std::snprintf(text, sizeof text, ":%02X%04X00", kRecordBytes, address);
    std::uint8_t sum = static_cast<std::uint8_t>(kRecordBytes + (address >> 8) + (address & 0xFF));
    for (std::uint32_t i = 0; i < kRecordBytes; ++i) {
        const std::uint8_t byte = PatternByte(address + i);
        sum = static_cast<std::uint8_t>(sum + byte);
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "%02X", byte);
    }
    std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "%02X\n",
                  static_cast<std::uint8_t>(-sum));
    return text;
}

// 16-byte data records over the whole image, the last record ending at the
// image's last byte; to reach the size limit the file starts with a second
// copy of the first records, and blanks fill the rest before the end record.
std::string LargestHexFile()
{
    const std::string endRecord = ":00000001FF\n";
    const std::size_t recordLength = DataRecord(0).size();
    const std::size_t imageRecords = CBrovikDlg::kImageSize / kRecordBytes;
    const std::size_t spare = kFileSize - endRecord.size() - imageRecords * recordLength;
    std::string text;
    for (std::uint32_t record = 0; record < spare / recordLength; ++record)
        text += DataRecord(record * kRecordBytes);
    for (std::uint32_t record = 0; record < imageRecords; ++record)
        text += DataRecord(record * kRecordBytes);
    text += std::string(kFileSize - endRecord.size() - text.size(), ' ');
    return text + endRecord;
}

class ScratchFile {
public:
    explicit ScratchFile(const std::string& contents)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "brovik-bench-XXXXXX").string();
        Require(::mkdtemp(pattern.data()) != nullptr, "no scratch folder");
        m_dir = pattern;
        path = m_dir + "/largest.hex";
        std::ofstream(path, std::ios::binary) << contents;
    }
    ~ScratchFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string path;

private:
    std::string m_dir;
};

void RequireLoaded(DialogRig& rig)
{
    CBrovikDlg& dlg = rig.Dialog();
    Require(rig.host.boxes.empty() && dlg.m_progress.GetWindowText() == texts::kLoadHexFileOk, "the file was not loaded");
    Require(dlg.m_fileLength == kFileSize && dlg.m_lastAddress == CBrovikDlg::kImageSize - 1,
            "the file loaded with a wrong length or last address");
    for (std::uint32_t address = 0; address < CBrovikDlg::kImageSize; ++address)
        Require(dlg.m_image[address] == PatternByte(address), "the file loaded into a wrong image");
}

} // namespace

void MeasureHexLoad(Report& report)
{
    std::cerr << "Loading the largest HEX file...\n";
    const std::string contents = LargestHexFile();
    Require(contents.size() == kFileSize, "the HEX file came out at the wrong size");
    const ScratchFile file(contents);
    DialogRig rig(SleepMode::Recorded);
    CBrovikDlg& dlg = rig.Dialog();
    rig.host.openFilePath = file.path;

    constexpr int kLoads = 201;
    std::vector<double> loads;
    for (int load = 0; load <= kLoads; ++load) {
        std::memset(dlg.m_image, 0, sizeof dlg.m_image);
        dlg.m_progress.SetWindowText("before");
        const SteadyClock::time_point start = SteadyClock::now();
        dlg.OnOpenHexFile();
        const double microseconds = MicrosecondsSince(start);
        RequireLoaded(rig);
        // The first load also warms the file cache and the fonts.
        if (load > 0)
            loads.push_back(microseconds);
    }
    const double slowest = *std::max_element(loads.begin(), loads.end());
    const double median = Median(loads);

    const double parse = MedianMicrosecondsPerCall(kLoads, 1, [&] {
        std::memset(dlg.m_image, 0, sizeof dlg.m_image);
        dlg.m_lastAddress = 0;
        Require(dlg.ParseHexFile() == 1, "the parse failed");
    });
    RequireLoaded(rig);

    report.AddWithTarget(Format("Open Hex File of %zu bytes (OnOpenHexFile), median of %d loads", kFileSize, kLoads),
                         Format("%.0f µs (slowest %.0f µs)", median, slowest), Format("< %.0f µs", kTargetMicroseconds),
                         median < kTargetMicroseconds);
    report.Add("its ParseHexFile alone", Format("%.0f µs", parse));
}

} // namespace bench
