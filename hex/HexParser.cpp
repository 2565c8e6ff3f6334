// SPDX-License-Identifier: GPL-2.0-or-later
// The Intel HEX record parser, the record copier and the digit decoder.
#include <algorithm>

#include "app/BrovikDlg.h"
#include "res/Texts.h"

namespace {

// The ":" must stand within this many characters of where the search starts.
constexpr std::uint32_t kSearchLimit = 255;
// ":", count, address, type and checksum: everything but the data digits.
constexpr std::uint32_t kRecordFrameLength = 11;
// What HexDigit gives for a character that has no digit value.
constexpr std::uint8_t kNoDigitValue = 0xFF;
constexpr std::uint8_t kDataRecord = 0;
constexpr std::uint8_t kEndOfFileRecord = 1;
constexpr std::uint8_t kExtendedSegmentAddress = 2;
constexpr std::uint8_t kExtendedLinearAddress = 4;

} // namespace

int CBrovikDlg::ParseHexFile()
{
    // The bytes read are where the read put them.
    const std::uint8_t* const bytes = m_pFileBuffer;
    const std::uint32_t length = m_fileLength;

    bool badDigit = false;
    // The byte written as the two digits at index and index + 1.
    const auto byteAt = [&](std::uint32_t index) {
        const std::uint8_t high = HexDigit(static_cast<char>(bytes[index]));
        const std::uint8_t low = HexDigit(static_cast<char>(bytes[index + 1]));
        if (high == kNoDigitValue || low == kNoDigitValue)
            badDigit = true;
        return static_cast<std::uint8_t>(high * 16 + low);
    };

    m_nonZeroBase = false;
    // The first record that put data beyond the flash, which refuses the file.
    std::optional<std::uint32_t> refusedRecord;
    std::uint32_t position = 0;
    for (;;) {
        std::uint32_t passed = 0;
        while (position < length && bytes[position] != ':' && passed < kSearchLimit) {
            ++position;
            ++passed;
        }
        if (position == length || passed == kSearchLimit) {
            m_refusedAt = position;
            MessageBox(texts::kNotHexFormat);
            return 0;
        }

        const std::uint32_t start = position;
        // From here on a fault is reported at the record's ":".
        m_refusedAt = start;
        // A record cut off by the end of the bytes read is a format fault.
        if (length - start < kRecordFrameLength) {
            MessageBox(texts::kNotHexFormat);
            return 0;
        }
        const std::uint8_t count = byteAt(start + 1);
        if (badDigit || length - start < kRecordFrameLength + 2u * count) {
            MessageBox(texts::kNotHexFormat);
            return 0;
        }
        const std::uint8_t addressHigh = byteAt(start + 3);
        const std::uint8_t addressLow = byteAt(start + 5);
        const std::uint8_t type = byteAt(start + 7);
        std::uint8_t data[255];
        for (std::uint32_t i = 0; i < count; ++i)
            data[i] = byteAt(start + 9 + 2 * i);
        const std::uint32_t checksumAt = start + 9 + 2u * count;
        const std::uint8_t checksum = byteAt(checksumAt);
        // The next search starts on the checksum's second digit.
        position = checksumAt + 1;
        if (badDigit) {
            MessageBox(texts::kNotHexFormat);
            return 0;
        }

        auto sum = static_cast<std::uint8_t>(count + addressHigh + addressLow + type);
        for (std::uint32_t i = 0; i < count; ++i)
            sum += data[i];
        if (checksum != static_cast<std::uint8_t>(256 - sum)) {
            MessageBox(texts::kChecksumError);
            return 0;
        }

        if (type == kDataRecord && count > 0) {
            StoreRecord(static_cast<std::uint32_t>(addressHigh << 8 | addressLow), data, count);
            if (!refusedRecord && m_lastAddress >= kImageSize)
                refusedRecord = start;
        }
        // A base other than zero puts the data records after it beyond their
        // 16-bit addresses, outside the flash; storing them at those addresses
        // would program them where they do not belong. Tools that always
        // write a base of zero keep loading.
        if ((type == kExtendedSegmentAddress || type == kExtendedLinearAddress) &&
            std::any_of(data, data + count, [](std::uint8_t byte) { return byte != 0; })) {
            m_nonZeroBase = true;
            if (!refusedRecord)
                refusedRecord = start;
        }
        if (type == kEndOfFileRecord) {
            m_refusedAt = refusedRecord;
            return 1;
        }
    }
}

int CBrovikDlg::StoreRecord(std::uint32_t address, const std::uint8_t* data, std::uint8_t count)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        if (address + i < kImageSize)
            m_image[address + i] = data[i];
    }
    // The highest address of any record so far, not the end of the record met
    // last: compilers write records out of address order (sdcc puts its
    // start-up code last, at address 0), and Program and Verify must cover
    // every byte the file holds. A record beyond the image thus also refuses
    // the file whatever follows it.
    m_lastAddress = std::max(m_lastAddress, address + count - 1);
    return 1;
}

std::uint8_t CBrovikDlg::HexDigit(char character)
{
    // "0" to "F"; the seven characters between "9" and "A" count as 0.
    static constexpr std::uint8_t kDigitValues[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0,
                                                     0, 0, 0, 0, 0, 10, 11, 12, 13, 14, 15};
    if (character >= 'a' && character <= 'f')
        character = static_cast<char>(character - 'a' + 'A');
    if (character < '0' || character > 'F')
        return kNoDigitValue;
    return kDigitValues[character - '0'];
}
