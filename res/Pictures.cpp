// SPDX-License-Identifier: GPL-2.0-or-later
// The program's pictures, drawn here from a few shapes so that they need no
// image files: a chip with its pins, a lightning bolt across it, and for the
// logo a sky-blue panel with the name spelled in a small pixel font.
#include "res/Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Canvas {
    int width;
    int height;
    std::vector<std::uint32_t> pixels;

    Canvas(int w, int h, std::uint32_t fill) : width(w), height(h), pixels(static_cast<std::size_t>(w * h), fill) {}

    void Set(int x, int y, std::uint32_t colour)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<std::size_t>(y * width + x)] = colour;
    }
    void Fill(int x0, int y0, int x1, int y1, std::uint32_t colour)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                Set(x, y, colour);
    }
};

struct PointF {
    double x, y;
};

bool Inside(const std::vector<PointF>& polygon, double x, double y)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const PointF& a = polygon[i];
        const PointF& b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

// Fills the polygon scaled and offset, with an outline of the given width
// inside its edge.
void DrawPolygon(Canvas& c, const std::vector<PointF>& shape, double scale, double dx, double dy, std::uint32_t fill,
                 std::uint32_t outline, int outlineWidth = 1)
{
    std::vector<PointF> p;
    for (const PointF& q : shape)
        p.push_back({q.x * scale + dx, q.y * scale + dy});
    std::vector<bool> in(static_cast<std::size_t>(c.width * c.height));
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            in[static_cast<std::size_t>(y * c.width + x)] = Inside(p, x + 0.5, y + 0.5);
    auto at = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < c.width && y < c.height && in[static_cast<std::size_t>(y * c.width + x)];
    };
    auto nearEdge = [&](int x, int y) {
        for (int d = 1; d <= outlineWidth; ++d)
            if (!at(x - d, y) || !at(x + d, y) || !at(x, y - d) || !at(x, y + d))
                return true;
        return false;
    };
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            if (!at(x, y))
                continue;
            c.Set(x, y, nearEdge(x, y) ? outline : fill);
        }
}

constexpr std::uint32_t kTransparent = 0x00000000;
constexpr std::uint32_t kBody = 0xFF262626;
constexpr std::uint32_t kBodyEdge = 0xFF5A5A5A;
constexpr std::uint32_t kPin = 0xFFC8C8C8;
constexpr std::uint32_t kBolt = 0xFFFFD800;
constexpr std::uint32_t kBoltEdge = 0xFF9A5A00;

struct Rect {
    int x0, y0, x1, y1;
    std::uint32_t colour;
};

// A chip with n pins on each long side, body from (x0, y0) to (x1, y1), as
// rectangles in drawing order.
std::vector<Rect> ChipRects(int x0, int y0, int x1, int y1, int pins)
{
    std::vector<Rect> rects;
    const int pitch = (y1 - y0) / pins;
    for (int i = 0; i < pins; ++i) {
        const int y = y0 + i * pitch + pitch / 2 - 1;
        rects.push_back({x0 - 3, y, x0, y + 2, kPin});
        rects.push_back({x1, y, x1 + 3, y + 2, kPin});
    }
    rects.push_back({x0, y0, x1, y1, kBodyEdge});
    rects.push_back({x0 + 1, y0 + 1, x1 - 1, y1 - 1, kBody});
    const int mid = (x0 + x1) / 2;
    rects.push_back({mid - 2, y0 + 1, mid + 2, y0 + 3, kBodyEdge});  // the notch
    return rects;
}

void DrawChip(Canvas& c, int x0, int y0, int x1, int y1, int pins)
{
    for (const Rect& r : ChipRects(x0, y0, x1, y1, pins))
        c.Fill(r.x0, r.y0, r.x1, r.y1, r.colour);
}

const std::vector<PointF> kBoltShape{{7, 0}, {2, 9}, {5, 9}, {1, 17}, {10, 6}, {6.5, 6}, {10, 0}};

// The program icon, in units of its 32-pixel picture: a chip, and the bolt
// scaled and placed across it.
constexpr int kIconUnits = 32;
std::vector<Rect> IconChip() { return ChipRects(8, 3, 24, 29, 6); }
constexpr double kIconBoltScale = 1.75;
constexpr PointF kIconBoltOffset{7, 1};

ImageResource Store(const Canvas& c)
{
    static std::vector<std::vector<std::uint32_t>> keep;
    keep.push_back(c.pixels);
    return {c.width, c.height, keep.back().data()};
}

// A 3 x 5 pixel font for the letters of the name.
constexpr std::array<std::array<const char*, 5>, 6> kLetters{{
    {"##.", "#.#", "##.", "#.#", "##."},  // B
    {"##.", "#.#", "##.", "#.#", "#.#"},  // R
    {".#.", "#.#", "#.#", "#.#", ".#."},  // O
    {"#.#", "#.#", "#.#", "#.#", ".#."},  // V
    {"###", ".#.", ".#.", ".#.", "###"},  // I
    {"#.#", "##.", "#..", "##.", "#.#"},  // K
}};

} // namespace

const ImageResource& ProgramIcon()
{
    static const ImageResource icon = ProgramIconOfSize(kIconUnits);
    return icon;
}

ImageResource ProgramIconOfSize(int size)
{
    const double scale = static_cast<double>(size) / kIconUnits;
    const auto pixel = [scale](int units) { return static_cast<int>(std::lround(units * scale)); };
    Canvas c(size, size, kTransparent);
    for (const Rect& r : IconChip())
        c.Fill(pixel(r.x0), pixel(r.y0), pixel(r.x1), pixel(r.y1), r.colour);
    DrawPolygon(c, kBoltShape, kIconBoltScale * scale, kIconBoltOffset.x * scale, kIconBoltOffset.y * scale, kBolt,
                kBoltEdge, std::max(1, pixel(1)));
    return Store(c);
}

std::string ProgramIconSvg()
{
    const auto colour = [](std::uint32_t argb) {
        char text[8];
        std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(argb & 0xFFFFFF));
        return std::string(text);
    };
    std::string points;
    for (const PointF& q : kBoltShape) {
        char text[48];
        std::snprintf(text, sizeof text, "%s%g,%g", points.empty() ? "" : " ", q.x * kIconBoltScale + kIconBoltOffset.x,
                      q.y * kIconBoltScale + kIconBoltOffset.y);
        points += text;
    }
    const std::string size = std::to_string(kIconUnits);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      size + "\" height=\"" + size + "\" viewBox=\"0 0 " + size + " " + size + "\">\n";
    for (const Rect& r : IconChip())
        svg += "  <rect x=\"" + std::to_string(r.x0) + "\" y=\"" + std::to_string(r.y0) + "\" width=\"" +
               std::to_string(r.x1 - r.x0) + "\" height=\"" + std::to_string(r.y1 - r.y0) + "\" fill=\"" +
               colour(r.colour) + "\"/>\n";
    // The outline lies inside the bolt's edge, as in the pictures: a stroke
    // twice as wide, clipped to the bolt.
    svg += "  <clipPath id=\"bolt\"><polygon points=\"" + points + "\"/></clipPath>\n";
    svg += "  <polygon points=\"" + points + "\" fill=\"" + colour(kBolt) + "\" stroke=\"" + colour(kBoltEdge) +
           "\" stroke-width=\"2\" clip-path=\"url(#bolt)\"/>\n";
    svg += "</svg>\n";
    return svg;
}

const ImageResource& LogoBitmap()
{
    static const ImageResource logo = [] {
        Canvas c(55, 40, 0xFF1E4E9A);
        for (int y = 0; y < 40; ++y)
            c.Fill(0, y, 55, y + 1, 0xFF000000 | (0x1E + y) << 16 | (0x4E + y * 2) << 8 | 0xC0);
        DrawChip(c, 6, 4, 20, 28, 5);
        DrawPolygon(c, kBoltShape, 1.45, 6, 2, kBolt, kBoltEdge);
        for (std::size_t i = 0; i < kLetters.size(); ++i)
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (kLetters[i][static_cast<std::size_t>(row)][col] == '#')
                        c.Fill(27 + static_cast<int>(i) * 4 + col, 32 + row, 28 + static_cast<int>(i) * 4 + col, 33 + row,
                               0xFFFFFFFF);
        c.Fill(26, 8, 52, 9, 0xFFFFD800);
        c.Fill(26, 12, 48, 13, 0xFFFFFFFF);
        c.Fill(26, 16, 50, 17, 0xFFFFFFFF);
        c.Fill(26, 20, 44, 21, 0xFFFFFFFF);
        return Store(c);
    }();
    return logo;
}
