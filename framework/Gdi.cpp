#include "framework/Gdi.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QtMath>

#include <algorithm>
#include <deque>
#include <memory>
#include <utility>

#include "framework/GdiImpl.h"

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
constexpr std::size_t kSparesKept = 4;
constexpr qsizetype kLargestKeptBytes = 16 << 20;
// Never destroyed: their painters hold fonts, and at exit fonts must not be
// released after the toolkit's own caches are gone.
std::deque<std::unique_ptr<FwBitmap>>& Spares()
{
    static auto* spares = new std::deque<std::unique_ptr<FwBitmap>>;  // the most recently deleted first
    return *spares;
}

void KeepAsSpare(std::unique_ptr<FwBitmap> bitmap)
{
    Spares().push_front(std::move(bitmap));
    if (Spares().size() > kSparesKept)
        Spares().pop_back();
}

std::unique_ptr<FwBitmap> NewBitmap(const QSize& pixels, qreal ratio)
{
    std::deque<std::unique_ptr<FwBitmap>>& spares = Spares();
    const auto spare = std::find_if(spares.begin(), spares.end(), [&](const std::unique_ptr<FwBitmap>& b) {
        return b->image.size() == pixels && b->image.devicePixelRatio() == ratio;
    });
    std::unique_ptr<FwBitmap> bitmap;
    if (spare != spares.end()) {
        bitmap = std::move(*spare);
        spares.erase(spare);
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
        KeepAsSpare(std::move(bitmap));
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
