// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Raster.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fw::raster {
namespace {

bool IsThirtyTwoBit(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
}

// The pixels of an image row by row; taken once, as each non-const access
// checks again that the pixels are not shared.
class Rows {
public:
    explicit Rows(QImage& image) : m_first(image.bits()), m_stride(image.bytesPerLine()) {}
    QRgb* operator[](int y) const { return reinterpret_cast<QRgb*>(m_first + static_cast<qsizetype>(y) * m_stride); }

private:
    uchar* m_first;
    qsizetype m_stride;
};

const QRgb* Row(const QImage& image, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); }

// x * a / 255 per colour channel, rounded as the raster engine rounds it.
QRgb ByteMultiply(QRgb x, std::uint32_t a)
{
    std::uint64_t t = ((std::uint64_t{x} | (std::uint64_t{x} << 24)) & 0x00ff00ff00ff00ffULL) * a;
    t = (t + ((t >> 8) & 0x00ff00ff00ff00ffULL) + 0x0080008000800080ULL) >> 8;
    t &= 0x00ff00ff00ff00ffULL;
    return static_cast<QRgb>(t) | static_cast<QRgb>(t >> 24);
}

} // namespace

bool CanDrawOn(const QImage& image) { return !image.isNull() && image.isDetached() && IsThirtyTwoBit(image); }

void Fill(QImage& image, const QRect& area, std::uint32_t colour, const QRect& clip)
{
    const QRect target = area & clip & image.rect();
    if (target.isEmpty())
        return;
    const QRgb opaque = 0xff000000 | colour;
    const Rows rows(image);
    QRgb* first = rows[target.top()] + target.left();
    std::fill(first, first + target.width(), opaque);
    // The other rows are copies of the first: a block copy is the fastest
    // write there is.
    const auto bytes = static_cast<std::size_t>(target.width()) * sizeof(QRgb);
    for (int y = target.top() + 1; y <= target.bottom(); ++y)
        std::memcpy(rows[y] + target.left(), first, bytes);
}

void Copy(QImage& image, const QPoint& at, const QImage& from, const QRect& block, const QRect& clip)
{
    const QRect source = block & from.rect();
    const QRect target = source.translated(at - block.topLeft()) & clip & image.rect();
    const QPoint toSource = block.topLeft() - at;
    const auto bytes = static_cast<std::size_t>(target.width()) * sizeof(QRgb);
    const Rows rows(image);
    for (int y = target.top(); y <= target.bottom(); ++y)
        std::memcpy(rows[y] + target.left(), Row(from, y + toSource.y()) + target.left() + toSource.x(), bytes);
}

void BlendOver(QImage& image, const QPoint& at, const QImage& picture, const QRect& clip)
{
    const QRect target = picture.rect().translated(at) & clip & image.rect();
    const Rows rows(image);
    for (int y = target.top(); y <= target.bottom(); ++y) {
        QRgb* row = rows[y];
        const QRgb* source = Row(picture, y - at.y());
        for (int x = target.left(); x <= target.right(); ++x) {
            const QRgb s = source[x - at.x()];
            if (s >= 0xff000000)
                row[x] = s;
            else if (s != 0)
                row[x] = s + ByteMultiply(row[x], qAlpha(~s));
        }
    }
}

} // namespace fw::raster
