// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Drawing straight on the pixels of a 32-bit image (RGB32 or premultiplied
// ARGB32), each operation giving exactly the pixels that QPainter's raster
// engine gives for it. A forced redraw during an operation runs right after
// a sleep, from cold caches, where the painter's way to a few thousand pixels
// costs several times the pixels themselves. All rectangles and points are in
// device pixels; everything is cut to the images and to clip. Colours are
// 0xAARRGGBB.
#include <cstdint>

class QImage;
class QPoint;
class QRect;

namespace fw::raster {

// Whether image can be drawn on here without copying its pixels away from a
// painter that is open on it.
bool CanDrawOn(const QImage& image);

// Fills area with colour, made opaque.
void Fill(QImage& image, const QRect& area, std::uint32_t colour, const QRect& clip);
// Copies block of from to image, its top left to at.
void Copy(QImage& image, const QPoint& at, const QImage& from, const QRect& block, const QRect& clip);
// Draws picture (premultiplied ARGB32) over image, its top left at at.
void BlendOver(QImage& image, const QPoint& at, const QImage& picture, const QRect& clip);

} // namespace fw::raster
