// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Gdi.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QtMath>

#include <memory>
#include <optional>
#include <utility>

#include "framework/GdiImpl.h"
#include "framework/RecentlyUsed.h"

struct FwFont {
    QFont font;
};

struct FwBitmap {
    QImage image;
    std::unique_ptr<QPainter> painter;  // declared last: ends before the pixels go
};

namespace {

// The pixels of the last few deleted bitmaps, for new ones of the same size:
// a paint that buffers itself off screen makes and deletes one every time.
constexpr qsizetype kLargestKeptBytes = 16 << 20;
using SpareBitmaps = fw::RecentlyUsed<std::unique_ptr<FwBitmap>, 4>;
// Never destroyed: their painters hold fonts, and at exit fonts must not be
// released after the toolkit's own caches are gone.
SpareBitmaps& Spares()
{
    static auto* spares = new SpareBitmaps;
    return *spares;
}

std::unique_ptr<FwBitmap> NewBitmap(const QSize& pixels, qreal ratio)
{
    std::optional<std::unique_ptr<FwBitmap>> spare = Spares().Take([&](const std::unique_ptr<FwBitmap>& b) {
        return b->image.size() == pixels && b->image.devicePixelRatio() == ratio;
    });
    std::unique_ptr<FwBitmap> bitmap;
    if (spare) {
        bitmap = std::move(*spare);
    } else {
        bitmap = std::make_unique<FwBitmap>();
        bitmap->image = QImage(pixels, QImage::Format_RGB32);
        bitmap->image.setDevicePixelRatio(ratio);
    }
    bitmap->image.fill(Qt::black);
    return bitmap;
}

} // namespace

CFont::CFont() = default;
CFont::~CFont() { DeleteObject(); }

BOOL CFont::Attach(HFONT font)
{
    if (!font || m_hObject)
        return FALSE;
    m_hObject = font;
    return TRUE;
}

BOOL CFont::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    delete m_hObject;
    m_hObject = nullptr;
    return TRUE;
}

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() { DeleteObject(); }

// Every context draws in 32-bit colour, so any colour bitmap is compatible.
// The bitmap has the context's device pixel ratio: width and height are
// logical, and a scaled screen gets as many pixels as it shows.
BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    if (m_hObject || width <= 0 || height <= 0)
        return FALSE;
    const qreal ratio = dc ? fw::DevicePixelRatio(*dc) : 1.0;
    m_hObject = NewBitmap(QSize(qCeil(width * ratio), qCeil(height * ratio)), ratio).release();
    return TRUE;
}

BOOL CBitmap::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    std::unique_ptr<FwBitmap> bitmap(m_hObject);
    m_hObject = nullptr;
    if (bitmap->image.sizeInBytes() <= kLargestKeptBytes)
        Spares().Add(std::move(bitmap));
    return TRUE;
}

COLORREF GetSysColor(int index)
{
    QPalette::ColorRole role;
    switch (index) {
    case COLOR_WINDOW:
        role = QPalette::Base;
        break;
    case COLOR_HIGHLIGHT:
        role = QPalette::Highlight;
        break;
    default:
        return RGB(0, 0, 0);
    }
    const QColor colour = QGuiApplication::palette().color(QPalette::Active, role);
    return RGB(static_cast<BYTE>(colour.red()), static_cast<BYTE>(colour.green()), static_cast<BYTE>(colour.blue()));
}

namespace fw {

HFONT CreateFontHandle(const QFont& font) { return new FwFont{font}; }
const QFont& FontOf(HFONT font) { return font->font; }
QImage* ImageOf(HBITMAP bitmap) { return bitmap ? &bitmap->image : nullptr; }

QPainter* PainterOf(HBITMAP bitmap)
{
    if (!bitmap || bitmap->image.isNull())
        return nullptr;
    if (!bitmap->painter)
        bitmap->painter = std::make_unique<QPainter>(&bitmap->image);
    return bitmap->painter.get();
}
QColor ColorOf(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

} // namespace fw
