#include "framework/Gdi.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QtMath>

#include <utility>

#include "framework/GdiImpl.h"

struct FwFont {
    QFont font;
};

struct FwBitmap {
    QImage image;
};

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
    QImage image(qCeil(width * ratio), qCeil(height * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    m_hObject = new FwBitmap{std::move(image)};
    return TRUE;
}

BOOL CBitmap::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    delete m_hObject;
    m_hObject = nullptr;
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
QColor ColorOf(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

} // namespace fw
