// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/ui/ProgressFixture.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "framework/QtBridge.h"
#include "framework/Styles.h"

namespace uitest {
namespace {

constexpr int kTemplate = 950;

const ControlTemplate kControls[] = {
    {kBarId, ControlKind::ProgressBar, "Progress1", 7, 10, 198, 16, WS_BORDER},
    {kVerticalBarId, ControlKind::ProgressBar, "Progress2", 7, 40, 10, 60, WS_BORDER | PBS_VERTICAL},
};
const DialogTemplate kDialog{kTemplate, "Progress", "MS Sans Serif", 8, 212, 110, WS_VISIBLE | WS_CAPTION, 0, kControls};

} // namespace

class ProgressFixture::Resources final : public ResourceTable {
public:
    const DialogTemplate* Dialog(int id) const override { return id == kTemplate ? &kDialog : nullptr; }
    std::string String(UINT) const override { return {}; }
    const ImageResource* Image(int) const override { return nullptr; }
};

QRgb ToQRgb(COLORREF colour) { return qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

std::set<QRgb> ColoursIn(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

::testing::AssertionResult RowSplitsAt(const QImage& image, int y, int edge, QRgb left, QRgb right)
{
    for (int x = 0; x < image.width(); ++x) {
        const QRgb expected = x < edge ? left : right;
        if (image.pixel(x, y) != expected)
            return ::testing::AssertionFailure() << "row " << y << ", column " << x << ": " << std::hex << image.pixel(x, y)
                                                 << " instead of " << expected;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ColumnSplitsAt(const QImage& image, int x, int edge, QRgb top, QRgb bottom)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb expected = y < edge ? top : bottom;
        if (image.pixel(x, y) != expected)
            return ::testing::AssertionFailure() << "column " << x << ", row " << y << ": " << std::hex << image.pixel(x, y)
                                                 << " instead of " << expected;
    }
    return ::testing::AssertionSuccess();
}

LRESULT CountingProgressCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT)
        ++paints;
    return CTextProgressCtrl::WindowProc(msg, wParam, lParam);
}

void ProgressFixture::SetUp()
{
    m_resources = std::make_unique<Resources>();
    m_setup.emplace(host, m_resources.get());
    m_dialog = std::make_unique<CDialog>(kTemplate);
    ASSERT_TRUE(m_dialog->Create());
    QWidget* window = fw::WidgetOf(m_dialog->m_hWnd);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
}

void ProgressFixture::TearDown()
{
    m_dialog->DestroyWindow();
    m_setup.reset();
}

void ProgressFixture::AttachTo(int id)
{
    ASSERT_TRUE(progress.SubclassDlgItem(static_cast<UINT>(id), m_dialog.get()));
    // The first paint of the shown dialog has happened before the control was
    // attached; count from a clean state.
    HandleEvents();
    progress.paints = 0;
}

QWidget* ProgressFixture::Client() const { return fw::WidgetOf(progress.m_hWnd); }

void ProgressFixture::ResizeClient(int width, int height)
{
    QWidget* client = Client();
    client->parentWidget()->resize(width + 2, height + 2);
    client->resize(width, height);
}

QImage ProgressFixture::Render(const QRect& region)
{
    QWidget* client = Client();
    QImage image(client->size(), QImage::Format_RGB32);
    image.fill(kUntouched);
    const QRect area = region.isEmpty() ? client->rect() : region;
    client->render(&image, area.topLeft(), QRegion(area), QWidget::RenderFlags());
    return image;
}

QImage ProgressFixture::RenderAtRatio(int ratio)
{
    QWidget* client = Client();
    QImage image(client->size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(kUntouched);
    client->render(&image, QPoint(), QRegion(client->rect()), QWidget::RenderFlags());
    return image;
}

QImage ProgressFixture::Screen()
{
    QWidget* client = Client();
    const QPoint origin = client->mapTo(client->window(), QPoint(0, 0));
    QScreen* screen = client->window()->windowHandle()->screen();
    return screen->grabWindow(client->window()->winId(), origin.x(), origin.y(), client->width(), client->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

void ProgressFixture::HandleEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void ProgressFixture::UseFixedColours()
{
    progress.SetBarColor(kBar);
    progress.SetBkColor(kBackground);
}

} // namespace uitest
