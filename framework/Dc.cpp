// SPDX-License-Identifier: GPL-2.0-or-later
// Contexts over Qt painters. A window context borrows the painter of the
// running paint, a memory context the painter of its selected bitmap; every
// operation leaves the painter's clip, transform and composition as it found
// them. Fills, block copies and single lines of text whose device pixels are
// plain to see (a bitmap, or the picture of a forced paint, at a whole-number
// scale) are drawn straight on those pixels instead (Raster.h).
#include "framework/Dc.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QStaticText>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/GdiImpl.h"
#include "framework/Icon.h"
#include "framework/IconImpl.h"
#include "framework/QtBridge.h"
#include "framework/Raster.h"
#include "framework/RecentlyUsed.h"
#include "framework/WindowDrawing.h"

namespace {

struct DrawingState {
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF bkColour = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    CFont* font = nullptr;
    std::optional<QFont> qtFont;    // a copy: drawing never reaches into a deleted CFont
    CPoint origin;
    std::optional<QRect> clip;      // device coordinates; none: the whole device
};

} // namespace

struct FwDC {
    QPainter* windowPainter = nullptr;  // the running paint of a window, borrowed
    QImage* windowPicture = nullptr;    // what a forced paint's painter is on
    QRect windowBounds;                 // the area that paint repaints
    std::unique_ptr<CBitmap> stockBitmap;
    CBitmap* bitmap = nullptr;          // memory contexts: the selected bitmap
    DrawingState state;
    std::vector<DrawingState> saved;
};

namespace {

QRect ToQt(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Attributes live in both contexts when the two differ; the previous value
// comes from the attribute context, as the output one only follows it.
template <class Change> auto ChangeBoth(HDC output, HDC attributes, Change change)
{
    using Result = decltype(change(*output));
    if constexpr (std::is_void_v<Result>) {
        if (output && output != attributes)
            change(*output);
        if (attributes)
            change(*attributes);
    } else {
        Result previous{};
        if (output && output != attributes)
            previous = change(*output);
        if (attributes)
            previous = change(*attributes);
        return previous;
    }
}

QImage* Pixels(const FwDC& dc) { return dc.bitmap ? fw::ImageOf(dc.bitmap->m_hObject) : nullptr; }

QRect DeviceBounds(const FwDC& dc)
{
    if (dc.windowPainter)
        return dc.windowBounds;
    const QImage* pixels = Pixels(dc);
    return pixels ? QRect(QPoint(0, 0), pixels->deviceIndependentSize().toSize()) : QRect();
}

QPainter* PainterOf(const FwDC& dc)
{
    if (dc.windowPainter)
        return dc.windowPainter;
    return dc.bitmap ? fw::PainterOf(dc.bitmap->m_hObject) : nullptr;
}

// The pixels a context can draw on directly, at a whole-number ratio.
struct DirectTarget {
    QImage& pixels;
    int ratio;
    QPoint origin;  // the window origin, logical
    QRect clip;     // device pixels
};

QRect Scaled(const QRect& r, int ratio) { return {r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio}; }

std::optional<DirectTarget> DirectTargetOf(const FwDC& dc)
{
    QImage* pixels = dc.windowPainter ? dc.windowPicture : Pixels(dc);
    if (!pixels || !fw::raster::CanDrawOn(*pixels))
        return std::nullopt;
    const qreal ratio = pixels->devicePixelRatio();
    if (ratio < 1 || ratio != std::floor(ratio))
        return std::nullopt;
    const int wholeRatio = static_cast<int>(ratio);
    QRect clip = pixels->rect();
    if (dc.state.clip)
        clip &= Scaled(*dc.state.clip, wholeRatio);
    return DirectTarget{*pixels, wholeRatio, QPoint(dc.state.origin.x, dc.state.origin.y), clip};
}

// The device pixels of a rectangle in the context's logical coordinates.
QRect ToDevice(const DirectTarget& target, const QRect& logical)
{
    return Scaled(logical.translated(-target.origin), target.ratio);
}

// Only text needs the font, and setting one costs a font lookup.
enum class Drawing { Shapes, Text };

// Runs draw with a painter in the context's logical coordinates and clip.
template <class Draw> void Paint(HDC dc, Drawing drawing, Draw draw)
{
    if (!dc || (dc->state.clip && dc->state.clip->isEmpty()))
        return;
    QPainter* painter = PainterOf(*dc);
    if (!painter)
        return;
    const DrawingState& state = dc->state;
    if (dc->windowPainter) {
        painter->save();
        if (state.clip)
            painter->setClipRect(*state.clip, Qt::IntersectClip);
        painter->translate(-state.origin.x, -state.origin.y);
        if (drawing == Drawing::Text && state.qtFont)
            painter->setFont(*state.qtFont);
        draw(*painter);
        painter->restore();
        return;
    }
    // A bitmap's painter rests without clip, transform or composition mode,
    // which are set and undone here: saving and restoring its whole state
    // around each drawing cost more than most drawings.
    if (state.clip)
        painter->setClipRect(*state.clip);
    if (state.origin.x != 0 || state.origin.y != 0)
        painter->setTransform(QTransform::fromTranslate(-state.origin.x, -state.origin.y));
    if (drawing == Drawing::Text)
        painter->setFont(state.qtFont ? *state.qtFont : QFont());
    draw(*painter);
    if (state.clip)
        painter->setClipping(false);
    if (state.origin.x != 0 || state.origin.y != 0)
        painter->resetTransform();
    if (painter->compositionMode() != QPainter::CompositionMode_SourceOver)
        painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

int TextFlags(UINT format)
{
    int flags = (format & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    // Only a single line is centred vertically; other text starts at the top.
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine | ((format & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop);
    else
        flags |= Qt::AlignTop;
    return flags;
}

} // namespace

CDC::CDC() = default;

CDC::~CDC()
{
    if (m_hDC)
        DeleteDC();
}

BOOL CDC::CreateCompatibleDC(CDC*)
{
    if (m_hDC)
        return FALSE;
    auto* dc = new FwDC;
    dc->stockBitmap = std::make_unique<CBitmap>();
    dc->stockBitmap->CreateCompatibleBitmap(nullptr, 1, 1);
    dc->bitmap = dc->stockBitmap.get();
    m_hDC = m_hAttribDC = dc;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    delete m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    return TRUE;
}

CFont* CDC::SelectObject(CFont* font)
{
    return ChangeBoth(m_hDC, m_hAttribDC, [font](FwDC& dc) {
        CFont* previous = dc.state.font;
        dc.state.font = font;
        if (font && font->m_hObject)
            dc.state.qtFont = fw::FontOf(font->m_hObject);
        else
            dc.state.qtFont.reset();
        return previous;
    });
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    if (!bitmap || !m_hDC || m_hDC->windowPainter)
        return nullptr;
    CBitmap* previous = m_hDC->bitmap;
    m_hDC->bitmap = bitmap;
    return previous;
}

COLORREF CDC::SetTextColor(COLORREF colour)
{
    return ChangeBoth(m_hDC, m_hAttribDC, [colour](FwDC& dc) { return std::exchange(dc.state.textColour, colour); });
}

COLORREF CDC::SetBkColor(COLORREF colour)
{
    return ChangeBoth(m_hDC, m_hAttribDC, [colour](FwDC& dc) { return std::exchange(dc.state.bkColour, colour); });
}

int CDC::SetBkMode(int mode)
{
    return ChangeBoth(m_hDC, m_hAttribDC, [mode](FwDC& dc) { return std::exchange(dc.state.bkMode, mode); });
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    return ChangeBoth(m_hDC, m_hAttribDC, [x, y](FwDC& dc) { return std::exchange(dc.state.origin, CPoint{x, y}); });
}

int CDC::SaveDC()
{
    return ChangeBoth(m_hDC, m_hAttribDC, [](FwDC& dc) {
        dc.saved.push_back(dc.state);
        return static_cast<int>(dc.saved.size());
    });
}

BOOL CDC::RestoreDC(int savedDC)
{
    return ChangeBoth(m_hDC, m_hAttribDC, [savedDC](FwDC& dc) -> BOOL {
        if (savedDC < 1 || static_cast<std::size_t>(savedDC) > dc.saved.size())
            return FALSE;
        dc.state = dc.saved[static_cast<std::size_t>(savedDC) - 1];
        dc.saved.resize(static_cast<std::size_t>(savedDC) - 1);
        return TRUE;
    });
}

int CDC::IntersectClipRect(const CRect& rect)
{
    ChangeBoth(m_hDC, m_hAttribDC, [&rect](FwDC& dc) {
        const QRect device = rect.IsRectEmpty() ? QRect() : ToQt(rect).translated(-dc.state.origin.x, -dc.state.origin.y);
        dc.state.clip = dc.state.clip ? dc.state.clip->intersected(device) : device;
    });
    CRect box;
    return GetClipBox(&box);
}

int CDC::GetClipBox(CRect* rect) const
{
    *rect = {};
    if (!m_hDC)
        return RGN_ERROR;
    QRect box = DeviceBounds(*m_hDC);
    if (m_hDC->state.clip)
        box = box.intersected(*m_hDC->state.clip);
    if (box.isEmpty())
        return NULLREGION;
    box.translate(m_hDC->state.origin.x, m_hDC->state.origin.y);
    *rect = {box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
    return SIMPLEREGION;
}

void CDC::FillSolidRect(const CRect& rect, COLORREF colour)
{
    if (rect.IsRectEmpty() || !m_hDC)
        return;
    if (const std::optional<DirectTarget> target = DirectTargetOf(*m_hDC)) {
        fw::raster::Fill(target->pixels, ToDevice(*target, ToQt(rect)), fw::ColorOf(colour).rgb(), target->clip);
        return;
    }
    Paint(m_hDC, Drawing::Shapes, [&](QPainter& painter) { painter.fillRect(ToQt(rect), fw::ColorOf(colour)); });
}

namespace {

// A line laid out in a font at a scale. Laying out a line costs far more than
// drawing it, and a status line is drawn over and over (twice a paint, in two
// colours): the last few lines laid out are kept.
struct LaidOutLine {
    std::string text;
    QFont keyFont;   // the font asked for
    QTransform scale;
    QFont font;      // that font as the painter resolves it
    QStaticText line;
};

// keyFont is looked up as it is; resolved gives the font to lay out with,
// and is asked only when the line is not kept.
template <class Resolve>
const LaidOutLine& LaidOut(const std::string& text, const QFont& keyFont, const QTransform& scale, Resolve resolved)
{
    // Never destroyed: at exit fonts must not be released after the
    // toolkit's own caches are gone.
    static auto& recent = *new fw::RecentlyUsed<LaidOutLine, 8>;
    if (const LaidOutLine* kept = recent.Find([&](const LaidOutLine& l) {
            return l.text == text && l.scale == scale && l.keyFont == keyFont;
        }))
        return *kept;
    const QFont font = resolved();
    QStaticText line(QString::fromStdString(text));
    line.setTextFormat(Qt::PlainText);
    line.prepare(scale, font);
    return recent.Add({text, keyFont, scale, font, std::move(line)});
}

// Drawing a line glyph by glyph costs more than copying a picture of it, and
// a status line is drawn in the same colour at the same place paint after
// paint: pictures of the last few lines drawn are kept. Only at whole-number
// scales without rotation, where the picture lands on whole device pixels.
struct LinePlacement {
    QPoint corner;  // of the picture, logical
    QPointF phase;  // of the line's top left within the picture
};

// Room for ink beyond the line's box: overhanging and italic glyphs.
int InkMargin(const LaidOutLine& line) { return qCeil(line.line.size().height() / 2); }

LinePlacement PlaceLine(const LaidOutLine& line, const QPointF& topLeft)
{
    const int margin = InkMargin(line);
    const QPoint corner(qFloor(topLeft.x()) - margin, qFloor(topLeft.y()) - margin);
    return {corner, topLeft - QPointF(corner)};
}

// The ink of a line's picture alone, cut out of it: most of the picture is
// the room left around the line, and drawing transparent pixels changes
// nothing.
struct LineInk {
    QImage pixels;
    QPoint offset;  // of the ink within the picture, in device pixels
};

LineInk CutOutInk(const QImage& picture)
{
    QRect ink;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (row[x] != 0)
                ink |= QRect(x, y, 1, 1);
    }
    QImage pixels = picture.copy(ink);
    pixels.setDevicePixelRatio(picture.devicePixelRatio());
    return {std::move(pixels), ink.topLeft()};
}

const LineInk& LinePicture(const LaidOutLine& line, qreal ratio, QRgb colour, const QPointF& phase)
{
    struct Picture {
        std::string text;
        QFont keyFont;
        qreal ratio;
        QRgb colour;
        QPointF phase;
        LineInk ink;
    };
    static auto& recent = *new fw::RecentlyUsed<Picture, 8>;  // never destroyed, as above
    if (const Picture* kept = recent.Find([&](const Picture& p) {
            return p.text == line.text && p.ratio == ratio && p.colour == colour && p.phase == phase &&
                   p.keyFont == line.keyFont;
        }))
        return kept->ink;
    const QSizeF size = line.line.size();
    const int margin = InkMargin(line);
    const QSize logical(qCeil(size.width()) + 2 * margin + 1, qCeil(size.height()) + 2 * margin + 1);
    QImage pixels(logical * static_cast<int>(ratio), QImage::Format_ARGB32_Premultiplied);
    pixels.setDevicePixelRatio(ratio);
    pixels.fill(Qt::transparent);
    QPainter onPicture(&pixels);
    onPicture.setFont(line.font);
    onPicture.setPen(QColor::fromRgba(colour));
    onPicture.drawStaticText(phase, line.line);
    onPicture.end();
    return recent.Add({line.text, line.keyFont, ratio, colour, phase, CutOutInk(pixels)}).ink;
}

void DrawLine(QPainter& painter, const LaidOutLine& line, const QPointF& topLeft, const QColor& colour)
{
    const QTransform toDevice = painter.combinedTransform();
    const qreal ratio = toDevice.m11();
    const bool wholePixels = toDevice.type() <= QTransform::TxScale && ratio == toDevice.m22() && ratio >= 1 &&
                             ratio == std::floor(ratio) && toDevice.dx() == std::floor(toDevice.dx()) &&
                             toDevice.dy() == std::floor(toDevice.dy());
    if (!wholePixels) {
        painter.drawStaticText(topLeft, line.line);
        return;
    }
    const LinePlacement place = PlaceLine(line, topLeft);
    const LineInk& ink = LinePicture(line, ratio, colour.rgba(), place.phase);
    painter.drawImage(QPointF(place.corner) + QPointF(ink.offset) / ratio, ink.pixels);
}

// Where a single line lands in box with the alignment of flags: the place
// QPainter::drawText gives it.
QRectF LineBounds(const QRect& box, int flags, const QSizeF& size)
{
    const qreal x = (flags & Qt::AlignHCenter) ? box.x() + (box.width() - size.width()) / 2 : box.x();
    const qreal y = (flags & Qt::AlignVCenter) ? box.y() + (box.height() - size.height()) / 2 : box.y();
    return {QPointF(x, y), size};
}

// A single line straight on the target's pixels: what the painter path below
// draws, placed and blended the same way.
int DrawLineDirectly(const FwDC& dc, const DirectTarget& target, const std::string& text, const QRect& box, int flags)
{
    const DrawingState& state = dc.state;
    if (state.clip && state.clip->isEmpty())
        return 0;
    static const auto& noFont = *new QFont;  // never destroyed, as above
    const QFont& font = state.qtFont ? *state.qtFont : noFont;
    const LaidOutLine& line = LaidOut(text, font, QTransform::fromScale(target.ratio, target.ratio), [&] {
        QPainter* painter = PainterOf(dc);
        painter->save();
        painter->setFont(font);
        const QFont resolved = painter->font();
        painter->restore();
        return resolved;
    });
    const QRectF bounds = LineBounds(box, flags, line.line.size());
    const int height = bounds.toAlignedRect().height();
    const QPointF origin(target.origin);
    if (state.clip && !QRectF(*state.clip).intersects(bounds.translated(-origin)))
        return height;
    if (state.bkMode == OPAQUE)
        fw::raster::Fill(target.pixels, ToDevice(target, bounds.toAlignedRect() & box), fw::ColorOf(state.bkColour).rgb(),
                         target.clip);
    const LinePlacement place = PlaceLine(line, bounds.topLeft());
    const LineInk& ink = LinePicture(line, target.ratio, fw::ColorOf(state.textColour).rgb(), place.phase);
    fw::raster::BlendOver(target.pixels, (place.corner - target.origin) * target.ratio + ink.offset, ink.pixels,
                          target.clip & ToDevice(target, box));
    return height;
}

} // namespace

int CDC::DrawText(const std::string& text, const CRect& rect, UINT format)
{
    if (!m_hDC)
        return 0;
    const QRect box = ToQt(rect);
    const int flags = TextFlags(format);
    if (format & DT_SINGLELINE) {
        if (const std::optional<DirectTarget> target = DirectTargetOf(*m_hDC))
            return DrawLineDirectly(*m_hDC, *target, text, box, flags);
    }
    int height = 0;
    Paint(m_hDC, Drawing::Text, [&](QPainter& painter) {
        const QColor background = fw::ColorOf(m_hDC->state.bkColour);
        painter.setPen(fw::ColorOf(m_hDC->state.textColour));
        if (format & DT_SINGLELINE) {
            const QTransform toDevice = painter.combinedTransform();
            const QTransform scale(toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22(), 0, 0);
            const QFont& font = painter.font();
            const LaidOutLine& line = LaidOut(text, font, scale, [&] { return font; });
            const QRectF bounds = LineBounds(box, flags, line.line.size());
            height = bounds.toAlignedRect().height();
            // A line clipped away entirely (one colour of a two-colour text)
            // would still cost a pass over its glyphs.
            if (painter.hasClipping() && !painter.clipBoundingRect().intersects(bounds))
                return;
            if (m_hDC->state.bkMode == OPAQUE)
                painter.fillRect(bounds.toAlignedRect().intersected(box), background);
            // The text is cut at its box, as the platform cuts it.
            painter.save();
            painter.setClipRect(box, Qt::IntersectClip);
            DrawLine(painter, line, bounds.topLeft(), painter.pen().color());
            painter.restore();
            return;
        }
        const QString qtText = QString::fromStdString(text);
        if (m_hDC->state.bkMode == OPAQUE)
            painter.fillRect(painter.boundingRect(box, flags, qtText).intersected(box), background);
        QRect drawn;
        painter.drawText(box, flags, qtText, &drawn);
        height = drawn.height();
    });
    return height;
}

BOOL CDC::DrawIcon(int x, int y, HICON icon)
{
    if (!icon || !m_hDC)
        return FALSE;
    Paint(m_hDC, Drawing::Shapes, [&](QPainter& painter) {
        painter.drawPixmap(QRect(x, y, fw::kIconWidth, fw::kIconHeight), fw::PixmapOf(icon));
    });
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, DWORD rop)
{
    if (rop != SRCCOPY || !m_hDC || !source || !source->m_hDC)
        return FALSE;
    const FwDC& from = *source->m_hDC;
    const QImage* pixels = Pixels(from);
    if (!pixels || from.windowPainter)
        return FALSE;
    if (const std::optional<DirectTarget> target = DirectTargetOf(*m_hDC);
        target && &target->pixels != pixels && pixels->format() == target->pixels.format() &&
        pixels->devicePixelRatio() == target->ratio) {
        const int ratio = target->ratio;
        const QRect block((xSource - from.state.origin.x) * ratio, (ySource - from.state.origin.y) * ratio, width * ratio,
                          height * ratio);
        fw::raster::Copy(target->pixels, ToDevice(*target, QRect(x, y, width, height)).topLeft(), *pixels, block,
                         target->clip);
        return TRUE;
    }
    // The block in the bitmap's own pixels, so that a scaled bitmap reaches a
    // scaled screen pixel for pixel.
    const qreal ratio = pixels->devicePixelRatio();
    const QRectF block((xSource - from.state.origin.x) * ratio, (ySource - from.state.origin.y) * ratio, width * ratio,
                       height * ratio);
    Paint(m_hDC, Drawing::Shapes, [&](QPainter& painter) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF(x, y), *pixels, block);
    });
    return TRUE;
}

namespace fw {

double DevicePixelRatio(const CDC& dc)
{
    const FwDC* context = dc.m_hDC;
    if (!context)
        return 1.0;
    if (context->windowPainter) {
        // The painter's own scale, not its widget's: a widget rendered into
        // a scaled image paints at that image's ratio.
        const QTransform toDevice = context->windowPainter->deviceTransform();
        return std::max(1.0, std::hypot(toDevice.m11(), toDevice.m12()));
    }
    const QImage* pixels = Pixels(*context);
    return pixels ? pixels->devicePixelRatio() : 1.0;
}

} // namespace fw

CPaintDC::CPaintDC(CWnd* wnd)
{
    const HWND hWnd = wnd ? wnd->m_hWnd : nullptr;
    QPainter* painter = fw::ActivePainter(hWnd);
    if (!painter)
        return;
    auto* dc = new FwDC;
    dc->windowPainter = painter;
    dc->windowPicture = fw::PaintPicture(hWnd);
    dc->windowBounds = ToQt(fw::PaintBounds(hWnd));
    m_hDC = m_hAttribDC = dc;
}
