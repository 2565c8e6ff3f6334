// Contexts over Qt painters. A window context borrows the painter of the
// running paint, a memory context the painter of its selected bitmap; every
// operation leaves the painter's clip, transform and composition as it found
// them.
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
#include <deque>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/GdiImpl.h"
#include "framework/Icon.h"
#include "framework/IconImpl.h"
#include "framework/QtBridge.h"
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
    if (rect.IsRectEmpty())
        return;
    Paint(m_hDC, Drawing::Shapes, [&](QPainter& painter) { painter.fillRect(ToQt(rect), fw::ColorOf(colour)); });
}

namespace {

// Laying out a line of text costs far more than drawing it, and a status line
// is drawn over and over (twice a paint, in two colours): the last few lines
// laid out in the painter's font, at its scale, are kept.
const QStaticText& LaidOutLine(const QString& text, const QPainter& painter)
{
    struct Line {
        QString text;
        QFont font;
        QTransform scale;
        QStaticText laidOut;
    };
    const QFont& font = painter.font();
    const QTransform toDevice = painter.combinedTransform();
    const QTransform scale(toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22(), 0, 0);
    constexpr std::size_t kKept = 8;
    // Never destroyed: at exit fonts must not be released after the
    // toolkit's own caches are gone.
    static auto& recent = *new std::deque<Line>;  // the most recently drawn first
    const auto found =
        std::find_if(recent.begin(), recent.end(), [&](const Line& line) { return line.text == text && line.font == font && line.scale == scale; });
    if (found != recent.end()) {
        std::rotate(recent.begin(), found, found + 1);
        return recent.front().laidOut;
    }
    QStaticText laidOut(text);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.prepare(scale, font);
    recent.push_front({text, font, scale, std::move(laidOut)});
    if (recent.size() > kKept)
        recent.pop_back();
    return recent.front().laidOut;
}

// Drawing a line glyph by glyph costs more than copying a picture of it, and
// a status line is drawn in the same colour at the same place paint after
// paint: pictures of the last few lines drawn are kept. Only at whole-number
// scales without rotation, where the picture lands on whole device pixels.
void DrawLine(QPainter& painter, const QString& text, const QStaticText& line, const QPointF& topLeft, const QColor& colour)
{
    const QTransform toDevice = painter.combinedTransform();
    const qreal ratio = toDevice.m11();
    const bool wholePixels = toDevice.type() <= QTransform::TxScale && ratio == toDevice.m22() && ratio >= 1 &&
                             ratio == std::floor(ratio) && toDevice.dx() == std::floor(toDevice.dx()) &&
                             toDevice.dy() == std::floor(toDevice.dy());
    if (!wholePixels) {
        painter.drawStaticText(topLeft, line);
        return;
    }
    struct Picture {
        QString text;
        QFont font;
        qreal ratio;
        QRgb colour;
        QPointF phase;  // of the line's top left within the picture
        QImage pixels;
    };
    // Room for ink beyond the line's box: overhanging and italic glyphs.
    const QSizeF size = line.size();
    const int margin = qCeil(size.height() / 2);
    const QPoint corner(qFloor(topLeft.x()) - margin, qFloor(topLeft.y()) - margin);
    const QPointF phase = topLeft - QPointF(corner);
    const QFont& font = painter.font();
    constexpr std::size_t kKept = 8;
    static auto& recent = *new std::deque<Picture>;  // the most recently drawn first; never destroyed, as above
    const auto found = std::find_if(recent.begin(), recent.end(), [&](const Picture& p) {
        return p.text == text && p.ratio == ratio && p.colour == colour.rgba() && p.phase == phase && p.font == font;
    });
    if (found != recent.end()) {
        std::rotate(recent.begin(), found, found + 1);
    } else {
        const QSize logical(qCeil(size.width()) + 2 * margin + 1, qCeil(size.height()) + 2 * margin + 1);
        QImage pixels(logical * static_cast<int>(ratio), QImage::Format_ARGB32_Premultiplied);
        pixels.setDevicePixelRatio(ratio);
        pixels.fill(Qt::transparent);
        QPainter onPicture(&pixels);
        onPicture.setFont(font);
        onPicture.setPen(colour);
        onPicture.drawStaticText(phase, line);
        onPicture.end();
        recent.push_front({text, font, ratio, colour.rgba(), phase, std::move(pixels)});
        if (recent.size() > kKept)
            recent.pop_back();
    }
    painter.drawImage(QPointF(corner), recent.front().pixels);
}

// Where a single line lands in box with the alignment of flags: the place
// QPainter::drawText gives it.
QRectF LineBounds(const QRect& box, int flags, const QSizeF& size)
{
    const qreal x = (flags & Qt::AlignHCenter) ? box.x() + (box.width() - size.width()) / 2 : box.x();
    const qreal y = (flags & Qt::AlignVCenter) ? box.y() + (box.height() - size.height()) / 2 : box.y();
    return {QPointF(x, y), size};
}

} // namespace

int CDC::DrawText(const std::string& text, const CRect& rect, UINT format)
{
    int height = 0;
    Paint(m_hDC, Drawing::Text, [&](QPainter& painter) {
        const QString qtText = QString::fromStdString(text);
        const QRect box = ToQt(rect);
        const int flags = TextFlags(format);
        const QColor background = fw::ColorOf(m_hDC->state.bkColour);
        painter.setPen(fw::ColorOf(m_hDC->state.textColour));
        if (format & DT_SINGLELINE) {
            const QStaticText& line = LaidOutLine(qtText, painter);
            const QRectF bounds = LineBounds(box, flags, line.size());
            height = bounds.toAlignedRect().height();
            // A line clipped away entirely (one colour of a two-colour text)
            // would still cost a pass over its glyphs.
            if (painter.hasClipping() && !painter.clipBoundingRect().intersects(bounds))
                return;
            if (m_hDC->state.bkMode == OPAQUE)
                painter.fillRect(bounds.toAlignedRect().intersected(box), background);
            DrawLine(painter, qtText, line, bounds.topLeft(), painter.pen().color());
            return;
        }
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
    dc->windowBounds = ToQt(fw::PaintBounds(hWnd));
    m_hDC = m_hAttribDC = dc;
}
