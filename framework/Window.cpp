// Windows over Qt widgets: one FwWindow per dialog or control, holding the
// widget, the window text and check state as the platform keeps them, and the
// C++ object attached to it. Widget events become messages to that object.
#include "framework/Window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <cstring>
#include <memory>

#include "framework/Gdi.h"
#include "framework/GdiImpl.h"
#include "framework/Icon.h"
#include "framework/IconImpl.h"
#include "framework/Menu.h"
#include "framework/QtBridge.h"
#include "framework/Styles.h"
#include "framework/WindowDrawing.h"

struct FwWindow {
    QWidget* widget = nullptr;       // the frame shown (dialog, control)
    QWidget* client = nullptr;       // where painting happens; == widget but for bordered bars
    bool dialog = false;
    ControlKind kind = ControlKind::Static;
    int id = -1;
    DWORD style = 0;
    std::string text;
    int check = BST_UNCHECKED;
    CWnd* attached = nullptr;
    std::unique_ptr<CWnd> wrapper;
    FwWindow* parent = nullptr;       // the dialog of a control
    FwWindow* owner = nullptr;        // the window a dialog is modal to
    std::vector<FwWindow*> children;  // controls, in creation order
    QFont font;
    std::unique_ptr<CFont> fontObject;  // the font as the drawing layer selects it
    CSize baseUnits{};
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    std::unique_ptr<CMenu> systemMenu;
    QEventLoop* loop = nullptr;
    bool done = false;
    INT_PTR result = 0;
    bool destroying = false;
    QPainter* painter = nullptr;      // during WM_PAINT
    QRect paintBounds;                // during WM_PAINT: what it repaints
    std::function<void(const std::string&)> textObserver;
};

namespace fw {
namespace {

constexpr const char* kHandleProperty = "fwHandle";

void Remember(QWidget* w, HWND h) { w->setProperty(kHandleProperty, QVariant::fromValue<void*>(h)); }

QString ToQt(const std::string& s) { return QString::fromStdString(s); }

void ShowText(HWND h)
{
    const QString text = ToQt(h->text);
    if (h->dialog) {
        h->widget->setWindowTitle(text);
        return;
    }
    switch (h->kind) {
    case ControlKind::PushButton:
    case ControlKind::AutoRadioButton:
        static_cast<QAbstractButton*>(h->widget)->setText(text);
        break;
    case ControlKind::Edit: {
        auto* edit = static_cast<QLineEdit*>(h->widget);
        if (edit->text() != text)
            edit->setText(text);
        break;
    }
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(h->widget)->setTitle(text);
        break;
    case ControlKind::Static:
        static_cast<QLabel*>(h->widget)->setText(text);
        break;
    case ControlKind::Picture:
    case ControlKind::ProgressBar:
        break;
    }
}

void Notify(HWND control, UINT code)
{
    HWND dialog = control->parent;
    if (!dialog || dialog->destroying)
        return;
    SendMessageTo(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(control->id), static_cast<WORD>(code)),
                  reinterpret_cast<LPARAM>(control));
}

// Ticks one automatic radio button and clears the others of its group: the
// run of controls from the last WS_GROUP at or before it up to the next one.
void TickInGroup(HWND radio)
{
    const auto& siblings = radio->parent->children;
    const auto self = std::find(siblings.begin(), siblings.end(), radio);
    auto first = self;
    while (first != siblings.begin() && !((*first)->style & WS_GROUP))
        --first;
    for (auto it = first; it != siblings.end(); ++it) {
        if (it != first && ((*it)->style & WS_GROUP))
            break;
        if ((*it)->kind == ControlKind::AutoRadioButton && *it != radio)
            SendMessageTo(*it, BM_SETCHECK, BST_UNCHECKED);
    }
    SendMessageTo(radio, BM_SETCHECK, BST_CHECKED);
}

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

// A widget whose painting is the attached object's WM_PAINT.
class PaintedClient final : public QWidget {
public:
    PaintedClient(HWND h, QWidget* parent) : QWidget(parent), m_h(h)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_h->painter = &painter;
        m_h->paintBounds = event->rect();
        SendMessageTo(m_h, WM_ERASEBKGND, 0);
        SendMessageTo(m_h, WM_PAINT);
        m_h->painter = nullptr;
    }
    void resizeEvent(QResizeEvent*) override
    {
        SendMessageTo(m_h, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(width()), static_cast<WORD>(height())));
    }

private:
    HWND m_h;
};

void ShowSystemMenu(HWND dialog, const QPoint& globalPos)
{
    QMenu menu(dialog->widget);
    for (const auto& item : dialog->systemMenu->Items()) {
        if (item.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        const UINT id = item.id;
        QAction* action = menu.addAction(ToQt(item.text));
        QObject::connect(action, &QAction::triggered, dialog->widget,
                         [dialog, id] { SendMessageTo(dialog, WM_SYSCOMMAND, id); });
    }
    menu.exec(globalPos);
}

class DialogWidget final : public QWidget {
public:
    explicit DialogWidget(HWND h) : QWidget(nullptr), m_h(h) {}

    bool IsDialogKey(QObject* watched, QEvent* event)
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool alt = key->modifiers() & Qt::AltModifier;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            HWND focus = HandleOf(QApplication::focusWidget());
            if (focus && focus->parent == m_h && focus->kind == ControlKind::PushButton)
                static_cast<QPushButton*>(focus->widget)->click();
            else
                SendMessageTo(m_h, WM_COMMAND, IDOK);
            return true;
        }
        case Qt::Key_Escape:
            SendMessageTo(m_h, WM_COMMAND, IDCANCEL);
            return true;
        case Qt::Key_F1:
            SendMessageTo(m_h, WM_COMMAND, ID_HELP);
            return true;
        case Qt::Key_Space:
            if (!alt)
                return false;
            ShowSystemMenu(m_h, m_h->widget->mapToGlobal(QPoint(0, 0)));
            return true;
        default:
            (void)watched;
            return false;
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return IsDialogKey(watched, event) || QWidget::eventFilter(watched, event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!IsDialogKey(this, event))
            QWidget::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (m_h->destroying) {
            event->accept();
            return;
        }
        event->ignore();
        SendMessageTo(m_h, WM_SYSCOMMAND, SC_CLOSE);
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        // Right-click on the dialog's background opens the system menu.
        if (childAt(event->pos()) == nullptr || qobject_cast<QGroupBox*>(childAt(event->pos())))
            ShowSystemMenu(m_h, event->globalPos());
    }
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_h->painter = &painter;
        m_h->paintBounds = event->rect();
        SendMessageTo(m_h, WM_PAINT);
        m_h->painter = nullptr;
    }

private:
    HWND m_h;
};

QFont DialogFont(const DialogTemplate& tmpl)
{
    const QString wanted = QString::fromUtf8(tmpl.fontName);
    QString family = QFontDatabase::families().contains(wanted) ? wanted
                                                               : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont font(family);
    font.setPointSize(tmpl.pointSize);
    return font;
}

// Average character width over the alphabet and the font height, as dialog
// unit conversion expects them.
CSize BaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

int MulDiv(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator);
}

QRect ToPixels(const CSize& base, int x, int y, int cx, int cy)
{
    return {MulDiv(x, base.cx, 4), MulDiv(y, base.cy, 8), MulDiv(cx, base.cx, 4), MulDiv(cy, base.cy, 8)};
}

QWidget* CreateControlWidget(HWND h, const ControlTemplate& c, QWidget* parent)
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

QWidget* WidgetOf(HWND h) { return h ? h->client : nullptr; }

HWND HandleOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant v = w->property(kHandleProperty);
        if (v.isValid())
            return static_cast<HWND>(v.value<void*>());
        if (w->isWindow())
            break;
    }
    return nullptr;
}

QPainter* ActivePainter(HWND h) { return h ? h->painter : nullptr; }

CRect PaintBounds(HWND h)
{
    if (!h || !h->painter)
        return {};
    const QRect& r = h->paintBounds;
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

CFont* WindowFont(HWND h)
{
    if (!h)
        return nullptr;
    const HWND dialog = h->dialog ? h : h->parent;
    if (!dialog->fontObject) {
        dialog->fontObject = std::make_unique<CFont>();
        dialog->fontObject->Attach(CreateFontHandle(dialog->font));
    }
    return dialog->fontObject.get();
}

namespace window {

HWND CreateDialogWindow(const DialogTemplate& tmpl, HWND owner)
{
    auto* h = new FwWindow;
    h->dialog = true;
    h->id = tmpl.id;
    h->style = tmpl.style;
    h->owner = owner;
    h->text = tmpl.caption ? tmpl.caption : "";
    h->font = DialogFont(tmpl);
    h->baseUnits = BaseUnits(h->font);
    h->systemMenu = std::make_unique<CMenu>();
    h->systemMenu->AppendMenu(MF_STRING, SC_RESTORE, "&Restore");
    h->systemMenu->AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    h->systemMenu->AppendMenu(MF_SEPARATOR);
    h->systemMenu->AppendMenu(MF_STRING, SC_CLOSE, "&Close");

    auto* widget = new DialogWidget(h);
    h->widget = h->client = widget;
    // A modal box is transient for its owner, so that window managers frame
    // and place it as a dialog.
    if (owner && !(tmpl.exStyle & WS_EX_APPWINDOW))
        widget->setParent(owner->widget);
    Remember(widget, h);
    widget->setFont(h->font);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tmpl.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tmpl.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (owner && !(tmpl.exStyle & WS_EX_APPWINDOW))
        flags = (flags & ~Qt::Window) | Qt::Dialog;
    widget->setWindowFlags(flags);
    widget->setWindowTitle(ToQt(h->text));
    const QRect size = ToPixels(h->baseUnits, 0, 0, tmpl.cx, tmpl.cy);
    widget->setFixedSize(size.width(), size.height());

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& c : tmpl.controls) {
        auto* child = new FwWindow;
        child->kind = c.kind;
        child->id = c.id;
        child->style = c.style;
        child->parent = h;
        child->text = c.text ? c.text : "";
        QWidget* w = CreateControlWidget(child, c, widget);
        child->widget = child->client = w;
        if (c.kind == ControlKind::ProgressBar) {
            auto* client = new PaintedClient(child, w);
            const int border = (c.style & WS_BORDER) ? 1 : 0;
            client->setGeometry(border, border, 0, 0);
            child->client = client;
            Remember(client, child);
        }
        Remember(w, child);
        w->setGeometry(ToPixels(h->baseUnits, c.x, c.y, c.cx, c.cy));
        if (child->client != w) {
            const int border = (c.style & WS_BORDER) ? 1 : 0;
            child->client->setGeometry(border, border, w->width() - 2 * border, w->height() - 2 * border);
        }
        w->setFocusPolicy(FocusPolicyFor(c));
        w->installEventFilter(widget);
        if (c.kind != ControlKind::ProgressBar)
            ShowText(child);
        if (w->focusPolicy() & Qt::TabFocus) {
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, w);
            previousTabStop = w;
        }
        h->children.push_back(child);
    }
    return h;
}

void Destroy(HWND h)
{
    if (!h)
        return;
    h->destroying = true;
    for (HWND child : h->children) {
        child->destroying = true;
        if (child->attached)
            child->attached->m_hWnd = nullptr;
    }
    if (h->attached)
        h->attached->m_hWnd = nullptr;
    // Boxes owned by this window stay theirs to destroy.
    for (QObject* child : h->widget->children())
        if (auto* box = qobject_cast<QWidget*>(child); box && box->isWindow())
            box->setParent(nullptr);
    h->widget->close();
    delete h->widget;
    for (HWND child : h->children)
        delete child;
    delete h;
}

bool IsDialog(HWND h) { return h && h->dialog; }
int ControlId(HWND h) { return h ? h->id : 0; }
ControlKind Kind(HWND h) { return h->kind; }
DWORD Style(HWND h) { return h ? h->style : 0; }
HWND Parent(HWND h) { return h ? (h->dialog ? h->owner : h->parent) : nullptr; }

HWND Child(HWND dialog, int id)
{
    if (!dialog)
        return nullptr;
    for (HWND c : dialog->children)
        if (c->id == id)
            return c;
    return nullptr;
}

const std::vector<HWND>& Children(HWND dialog) { return dialog->children; }

CWnd* Attached(HWND h) { return h ? h->attached : nullptr; }

void Attach(HWND h, CWnd* wnd)
{
    if (h->wrapper && h->wrapper.get() != wnd) {
        h->wrapper->m_hWnd = nullptr;
        h->wrapper.reset();
    }
    h->attached = wnd;
}

CWnd* PermanentWrapper(HWND h)
{
    if (!h)
        return nullptr;
    if (h->attached)
        return h->attached;
    h->wrapper = std::make_unique<CWnd>();
    h->wrapper->m_hWnd = h;
    h->attached = h->wrapper.get();
    return h->attached;
}

LRESULT DefaultProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!h)
        return 0;
    switch (msg) {
    case WM_SETTEXT:
        h->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        ShowText(h);
        if (h->textObserver)
            h->textObserver(h->text);
        return TRUE;
    case WM_GETTEXT: {
        if (wParam == 0)
            return 0;
        const size_t n = std::min<size_t>(h->text.size(), wParam - 1);
        auto* buffer = reinterpret_cast<char*>(lParam);
        std::memcpy(buffer, h->text.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(h->text.size());
    case BM_GETCHECK:
        return h->check;
    case BM_SETCHECK:
        h->check = static_cast<int>(wParam);
        if (h->kind == ControlKind::AutoRadioButton)
            static_cast<QRadioButton*>(h->widget)->setChecked(h->check == BST_CHECKED);
        return 0;
    case BM_CLICK:
        if (h->kind == ControlKind::PushButton || h->kind == ControlKind::AutoRadioButton)
            static_cast<QAbstractButton*>(h->widget)->click();
        return 0;
    case EM_SETSEL:
        if (h->kind == ControlKind::Edit) {
            auto* edit = static_cast<QLineEdit*>(h->widget);
            if (static_cast<LPARAM>(wParam) == 0 && lParam == -1)
                edit->selectAll();
            else
                edit->setSelection(static_cast<int>(wParam), static_cast<int>(lParam - static_cast<LPARAM>(wParam)));
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETICON: {
        HICON previous = wParam == ICON_BIG ? h->bigIcon : h->smallIcon;
        (wParam == ICON_BIG ? h->bigIcon : h->smallIcon) = reinterpret_cast<HICON>(lParam);
        if (HICON icon = h->bigIcon ? h->bigIcon : h->smallIcon)
            h->widget->setWindowIcon(IconOf(icon));
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            h->widget->showMinimized();
            break;
        case SC_RESTORE:
            h->widget->showNormal();
            break;
        case SC_CLOSE:
            SendMessageTo(h, WM_CLOSE);
            break;
        default:
            break;
        }
        return 0;
    case WM_CLOSE:
        if (h->dialog)
            SendMessageTo(h, WM_COMMAND, IDCANCEL);
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(h->bigIcon);
    default:
        return 0;
    }
}

void ShowDialog(HWND dialog, bool focusFirst)
{
    QWidget* w = dialog->widget;
    QRect area;
    if (dialog->owner && dialog->owner->widget->isVisible())
        area = dialog->owner->widget->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
    if (dialog->owner)
        w->setWindowModality(Qt::ApplicationModal);
    w->show();
    w->activateWindow();
    if (focusFirst) {
        for (HWND c : dialog->children) {
            if (c->widget->focusPolicy() & Qt::TabFocus) {
                c->widget->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

INT_PTR RunModalLoop(HWND dialog)
{
    if (!dialog->done) {
        QEventLoop loop;
        dialog->loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        dialog->loop = nullptr;
    }
    return dialog->result;
}

void EndDialog(HWND dialog, INT_PTR result)
{
    dialog->done = true;
    dialog->result = result;
    dialog->widget->hide();
    if (dialog->loop)
        dialog->loop->quit();
}

bool IsModalLoopDone(HWND dialog) { return dialog->done; }

CRect ClientRect(HWND h)
{
    if (!h)
        return {};
    return {0, 0, h->client->width(), h->client->height()};
}

bool IsIconic(HWND h) { return h && h->widget->isMinimized(); }
bool IsVisible(HWND h) { return h && h->widget->isVisible(); }

void SetFocus(HWND h)
{
    if (h)
        h->widget->setFocus(Qt::OtherFocusReason);
}

HWND Focus() { return HandleOf(QApplication::focusWidget()); }

void SelectAllText(HWND edit)
{
    if (edit && edit->kind == ControlKind::Edit)
        static_cast<QLineEdit*>(edit->widget)->selectAll();
}

void Invalidate(HWND h)
{
    if (h)
        h->client->update();
}

void RepaintNow(HWND h)
{
    if (h)
        h->client->repaint();
}

void SetIcon(HWND h, HICON icon, bool big) { DefaultProc(h, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)); }
HICON GetIcon(HWND h, bool big) { return big ? h->bigIcon : h->smallIcon; }

CMenu* SystemMenu(HWND dialog) { return dialog && dialog->dialog ? dialog->systemMenu.get() : nullptr; }

std::string FontDescription(HWND h)
{
    const HWND dialog = h->dialog ? h : h->parent;
    return dialog->font.family().toStdString() + " " + std::to_string(dialog->font.pointSize());
}

CSize DialogBaseUnits(HWND dialog) { return dialog->baseUnits; }

void SetTextObserver(HWND hWnd, std::function<void(const std::string&)> observer)
{
    hWnd->textObserver = std::move(observer);
}

} // namespace window
} // namespace fw
