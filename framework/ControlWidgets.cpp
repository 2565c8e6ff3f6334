// SPDX-License-Identifier: GPL-2.0-or-later
// The controls' widgets: push buttons, automatic radio buttons, edits, group
// boxes, static texts, pictures and the progress bar's frame. Their clicks
// and changes become notifications to the dialog.
#include <QBackingStore>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <QtMath>

#include <memory>

#include "framework/IconImpl.h"
#include "framework/Styles.h"
#include "framework/WindowImpl.h"

namespace fw {

void Notify(HWND control, UINT code)
{
    HWND dialog = control->parent;
    if (!dialog || dialog->destroying)
        return;
    SendMessageTo(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(control->id), static_cast<WORD>(code)),
                  reinterpret_cast<LPARAM>(control));
}

namespace {

class PushButton final : public QPushButton {
public:
    PushButton(HWND h, QWidget* parent) : QPushButton(parent), m_h(h)
    {
        setAutoDefault(false);
        connect(this, &QPushButton::clicked, this, [this] { Notify(m_h, BN_CLICKED); });
    }

private:
    HWND m_h;
};

class RadioButton final : public QRadioButton {
public:
    RadioButton(HWND h, QWidget* parent) : QRadioButton(parent), m_h(h)
    {
        setAutoExclusive(false);
        connect(this, &QRadioButton::clicked, this, [this] { Notify(m_h, BN_CLICKED); });
    }

protected:
    // A click always ticks the button and clears the rest of its group.
    void nextCheckState() override { TickInGroup(m_h); }
    // The whole control rectangle takes the click, not only the text.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    HWND m_h;
};

class Edit final : public QLineEdit {
public:
    Edit(HWND h, QWidget* parent) : QLineEdit(parent), m_h(h)
    {
        connect(this, &QLineEdit::textChanged, this, [this](const QString& t) {
            m_h->text = t.toStdString();
            Notify(m_h, EN_CHANGE);
        });
    }

private:
    HWND m_h;
};

// A widget whose painting is the attached object's WM_PAINT. A forced paint
// draws into the widget's own picture, which the next paint on the screen
// copies instead of painting again (see Presentation.h).
class PaintedClient final : public QWidget {
public:
    PaintedClient(HWND h, QWidget* parent) : QWidget(parent), m_h(h)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    ~PaintedClient() override { WithdrawPresentation(this); }

    void PaintNow()
    {
        const qreal ratio = ScreenRatio();
        const QSize pixels(qCeil(width() * ratio), qCeil(height() * ratio));
        // An empty client has nothing to paint, as an empty update region
        // sends no WM_PAINT.
        if (pixels.isEmpty())
            return;
        if (m_picture.size() != pixels || m_picture.devicePixelRatio() != ratio) {
            m_onPicture.reset();
            m_picture = QImage(pixels, QImage::Format_RGB32);
            m_picture.setDevicePixelRatio(ratio);
        }
        // Kept open: opening a painter costs a good part of a small paint.
        if (!m_onPicture)
            m_onPicture = std::make_unique<QPainter>(&m_picture);
        PaintThrough(*m_onPicture, rect(), &m_picture);
        m_pictureWaits = true;
        PresentLater(this);
    }

    // The state behind the picture changed: the next paint must be a real one.
    void DropPicture() { m_pictureWaits = false; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_bufferPainted = true;
        if (!ShowsWaitingPicture(painter)) {
            PaintThrough(painter, event->rect(), nullptr);
            return;
        }
        const qreal ratio = m_picture.devicePixelRatio();
        const QRectF area(event->rect());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(area, m_picture, QRectF(area.topLeft() * ratio, area.size() * ratio));
        m_pictureWaits = false;
    }
    void resizeEvent(QResizeEvent*) override
    {
        m_pictureWaits = false;
        SendMessageTo(m_h, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(width()), static_cast<WORD>(height())));
    }

private:
    // Only a paint onto this window's own screen buffer shows the picture;
    // rendering into anything else (a grab, a print) paints for real.
    bool ShowsWaitingPicture(QPainter& painter) const
    {
        return m_pictureWaits && backingStore() && painter.paintEngine()->paintDevice() == backingStore()->paintDevice() &&
               m_picture.devicePixelRatio() == ScreenRatio();
    }

    // Device pixels per logical pixel where this widget is shown: its screen
    // buffer's own ratio, read without the screen lookup (which costs more
    // than a small paint); a widget not shown yet has no buffer to ask, and
    // on Wayland a buffer that was never painted must not be asked (it has
    // no picture yet, and asking for it crashes), as when a file named at
    // start is loaded right after the window appears.
    qreal ScreenRatio() const
    {
        QBackingStore* store = m_bufferPainted ? backingStore() : nullptr;
        const qreal bufferRatio = store && store->paintDevice() ? store->paintDevice()->devicePixelRatioF() : 0;
        return bufferRatio > 0 ? bufferRatio : devicePixelRatioF();
    }

    void PaintThrough(QPainter& painter, const QRect& area, QImage* picture)
    {
        m_h->painter = &painter;
        m_h->paintPicture = picture;
        m_h->paintBounds = {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
        SendMessageTo(m_h, WM_ERASEBKGND, 0);
        SendMessageTo(m_h, WM_PAINT);
        m_h->painter = nullptr;
        m_h->paintPicture = nullptr;
    }

    HWND m_h;
    QImage m_picture;
    std::unique_ptr<QPainter> m_onPicture;  // declared after the picture: ends first
    bool m_pictureWaits = false;
    bool m_bufferPainted = false;  // a paint of this widget has gone through its window's buffer
};

QWidget* CreateWidgetOfKind(HWND h, const ControlTemplate& c, QWidget* parent)
{
    switch (c.kind) {
    case ControlKind::PushButton: {
        auto* button = new PushButton(h, parent);
        button->setDefault(c.style & BS_DEFPUSHBUTTON);
        return button;
    }
    case ControlKind::AutoRadioButton:
        return new RadioButton(h, parent);
    case ControlKind::Edit:
        return new Edit(h, parent);
    case ControlKind::GroupBox:
        return new QGroupBox(parent);
    case ControlKind::Static: {
        auto* label = new QLabel(parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::Picture: {
        auto* label = new QLabel(parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (c.style & SS_SUNKEN) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
        }
        if (const QPixmap* pixmap = PixmapOfResource(c.imageId))
            label->setPixmap(*pixmap);
        return label;
    }
    case ControlKind::ProgressBar: {
        auto* frame = new QFrame(parent);
        if (c.style & WS_BORDER) {
            frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            frame->setLineWidth(1);
        }
        return frame;
    }
    }
    return nullptr;
}

Qt::FocusPolicy FocusPolicyFor(const ControlTemplate& c)
{
    switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::Edit:
    case ControlKind::AutoRadioButton:
        return (c.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
    default:
        return Qt::NoFocus;
    }
}

} // namespace

QWidget* CreateControlWidget(HWND h, const ControlTemplate& c, QWidget* parent)
{
    QWidget* w = CreateWidgetOfKind(h, c, parent);
    w->setFocusPolicy(FocusPolicyFor(c));
    return w;
}

void FitPictureToBitmap(QWidget* picture)
{
    auto* label = static_cast<QLabel*>(picture);
    const QPixmap bitmap = label->pixmap();
    if (bitmap.isNull())
        return;
    const int frame = 2 * label->frameWidth();
    label->resize(bitmap.deviceIndependentSize().toSize() + QSize(frame, frame));
}

QWidget* CreatePaintedClient(HWND h, QWidget* parent) { return new PaintedClient(h, parent); }

bool PaintClientNow(HWND h)
{
    auto* client = dynamic_cast<PaintedClient*>(h->client);
    if (!client)
        return false;
    client->PaintNow();
    return true;
}

void DropPaintedPicture(HWND h)
{
    if (auto* client = dynamic_cast<PaintedClient*>(h->client))
        client->DropPicture();
}

void ShowText(HWND h)
{
    if (h->dialog) {
        h->widget->setWindowTitle(ToQt(h->text));
        return;
    }
    switch (h->kind) {
    case ControlKind::PushButton:
    case ControlKind::AutoRadioButton:
        static_cast<QAbstractButton*>(h->widget)->setText(ToQt(h->text));
        break;
    case ControlKind::Edit: {
        const QString text = ToQt(h->text);
        auto* edit = static_cast<QLineEdit*>(h->widget);
        // Text the program sets is shown from its start, as the platform's
        // edit shows it, not scrolled to its end.
        if (edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(0);
        }
        break;
    }
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(h->widget)->setTitle(ToQt(h->text));
        break;
    case ControlKind::Static:
        static_cast<QLabel*>(h->widget)->setText(ToQt(h->text));
        break;
    case ControlKind::Picture:
    case ControlKind::ProgressBar:
        // No text to show (a bar paints its own): an operation sets the
        // bar's after every byte, and converting it would be wasted.
        break;
    }
}

} // namespace fw
