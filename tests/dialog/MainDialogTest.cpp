// SPDX-License-Identifier: GPL-2.0-or-later
// The main dialog as a user meets it: keyboard rules, the system menu and
// the About box, and what start-up leaves behind.
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "framework/IconImpl.h"
#include "framework/Menu.h"
#include "framework/QtBridge.h"
#include "framework/Window.h"
#include "tests/support/MainDialogFixture.h"

namespace {

class MainDialog : public test::MainDialogTest {
protected:
    QWidget* Widget(int id) { return fw::WidgetOf(dlg->GetDlgItemHandle(id)); }
    void PressOnFocus(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    void FollowStatus()
    {
        fw::window::SetTextObserver(dlg->m_progress.m_hWnd, [this](const std::string& text) { statusTexts.push_back(text); });
    }
    std::vector<std::string> statusTexts;
};

TEST_F(MainDialog, EnterRightAfterStartRunsErase)
{
    Start();
    EXPECT_EQ(fw::HandleOf(QApplication::focusWidget()), dlg->GetDlgItemHandle(IDC_ERASE));
    PressOnFocus(Qt::Key_Return);
    EXPECT_EQ(Status(), "Erase Ok");
    EXPECT_FALSE(dlg->HasEnded());
}

TEST_F(MainDialog, EnterInADelayFieldClosesOnlyWithValidFactors)
{
    Start();
    auto* bit = static_cast<QLineEdit*>(Widget(IDC_DELAY_BIT));
    bit->setFocus();
    bit->setText("x");
    host.boxes.clear();
    PressOnFocus(Qt::Key_Return);
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{"Please enter a positive integer."});
    EXPECT_FALSE(dlg->HasEnded());

    bit->setText("3");
    PressOnFocus(Qt::Key_Enter);
    EXPECT_TRUE(dlg->HasEnded());
    EXPECT_EQ(dlg->Result(), IDOK);
}

TEST_F(MainDialog, EscapeClosesEvenWithAnInvalidEntry)
{
    Start();
    auto* byte = static_cast<QLineEdit*>(Widget(IDC_DELAY_BYTE));
    byte->setFocus();
    byte->setText("");
    host.boxes.clear();
    PressOnFocus(Qt::Key_Escape);
    EXPECT_TRUE(dlg->HasEnded());
    EXPECT_EQ(dlg->Result(), IDCANCEL);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(MainDialog, SystemMenuEndsWithTheAboutEntry)
{
    Start();
    const auto& items = dlg->GetSystemMenu(FALSE)->Items();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[items.size() - 2].flags, MF_SEPARATOR);
    EXPECT_EQ(items.back().id, 0x0010u);
    EXPECT_EQ(items.back().text, "&About brovik...");
}

TEST_F(MainDialog, SystemMenuOffersMoveMinimizeCloseAndAboutButNoRestoreWhileShown)
{
    Start();
    std::vector<std::string> texts;
    for (const auto& item : fw::window::OfferedSystemMenu(dlg->m_hWnd))
        texts.push_back((item.flags & MF_SEPARATOR) ? "-" : item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"&Move", "Mi&nimize", "-", "&Close", "-", "&About brovik..."}));
}

struct RadioGroupCase {
    const char* name;
    std::vector<int> group;  // in template order
    bool storesPort;
};

class MainDialogRadioGroup : public MainDialog, public ::testing::WithParamInterface<RadioGroupCase> {};

TEST_P(MainDialogRadioGroup, ArrowKeysTickTheNextButtonOfTheGroupAndWrap)
{
    Start();
    const std::vector<int>& group = GetParam().group;
    auto checked = [&](int id) { return dlg->IsDlgButtonChecked(id) == BST_CHECKED; };
    const int storedPort = host.GetProfileInt("BROVIK", "LPT PORT", 0);
    Click(group[0]);
    ASSERT_EQ(fw::HandleOf(QApplication::focusWidget()), dlg->GetDlgItemHandle(group[0]));

    // Down twice to the last button, Down wraps to the first, Up wraps back.
    const std::pair<Qt::Key, std::size_t> steps[] = {
        {Qt::Key_Down, 1}, {Qt::Key_Right, 2}, {Qt::Key_Down, 0}, {Qt::Key_Up, 2}, {Qt::Key_Left, 1}};
    for (const auto& [key, index] : steps) {
        PressOnFocus(key);
        const int reached = group[index];
        EXPECT_EQ(fw::HandleOf(QApplication::focusWidget()), dlg->GetDlgItemHandle(reached)) << "key " << key;
        for (int id : group)
            EXPECT_EQ(checked(id), id == reached) << "key " << key << ", button " << id;
        const int expectedPort = GetParam().storesPort ? static_cast<int>(index) + 1 : storedPort;
        EXPECT_EQ(host.GetProfileInt("BROVIK", "LPT PORT", 0), expectedPort) << "key " << key;
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothGroups, MainDialogRadioGroup,
    ::testing::Values(RadioGroupCase{"LockBits", {IDC_LOCK1, IDC_LOCK2, IDC_LOCK3}, false},
                      RadioGroupCase{"LptPort", {IDC_LPT1, IDC_LPT2, IDC_LPT3}, true}),
    [](const ::testing::TestParamInfo<RadioGroupCase>& info) { return std::string(info.param.name); });

TEST_F(MainDialog, AStoredLongDelayShowsFromItsStart)
{
    StoreDelays(-1, 1);  // what a typed 4294967295 is stored as; used as the cap
    Start();
    auto* bit = static_cast<QLineEdit*>(Widget(IDC_DELAY_BIT));
    ASSERT_EQ(bit->text(), "1000");
    EXPECT_EQ(bit->cursorPosition(), 0);
}

TEST_F(MainDialog, SystemCommands0x10To0x1FOpenTheAboutBoxAndLeaveTheDialogAsItWas)
{
    Start();
    Click(IDC_ERASE);
    const std::string status = Status();
    for (UINT id = 0x0010; id <= 0x001F; ++id) {
        host.modalTemplates.clear();
        dlg->SendMessage(WM_SYSCOMMAND, id);
        EXPECT_EQ(host.modalTemplates, std::vector<UINT>{IDD_ABOUTBOX}) << std::hex << id;
    }
    host.modalTemplates.clear();
    dlg->SendMessage(WM_SYSCOMMAND, 0x0020);
    EXPECT_TRUE(host.modalTemplates.empty());
    EXPECT_EQ(Status(), status);
    EXPECT_FALSE(dlg->HasEnded());
    EXPECT_TRUE(dlg->IsWindowVisible());
}

TEST_F(MainDialog, TheAboutBoxShowsItsTextsAndClosesWithOk)
{
    Start();
    std::vector<std::string> texts;
    INT_PTR result = 0;
    host.onModal = [&](CDialog& about) {
        // Runs the box for real; once it is up, read it and press Enter.
        QTimer::singleShot(0, [&] {
            for (HWND control : fw::window::Children(about.m_hWnd))
                texts.push_back(FromHandle(control)->GetWindowText());
            texts.push_back(about.GetWindowText());
            QTest::keyClick(fw::WidgetOf(about.GetDlgItemHandle(IDOK)), Qt::Key_Return);
        });
        // The guard timer ends with this answer, not in a later test.
        QObject guardScope;
        QTimer::singleShot(2000, &guardScope, [&] { about.EndDialog(-1); });
        result = about.RunModalLoop();
        return result;
    };
    dlg->SendMessage(WM_SYSCOMMAND, 0x0010);
    EXPECT_EQ(texts, (std::vector<std::string>{"", "brovik Version 5.0", "OK", "For Wondows 95/98/ME.",
                                               "For Window NT/2000/XP , please access printer port",
                                               "before use this program.", "About brovik"}));
    EXPECT_EQ(result, IDOK);
}

TEST_F(MainDialog, AfterStartProgramAndAutoAskForAHexFile)
{
    Start();
    EXPECT_EQ(dlg->m_lastAddress, 0u);
    for (int id : {IDC_PROGRAM, IDC_AUTO}) {
        host.boxes.clear();
        port.accesses.clear();
        Click(id);
        EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{"Please open a hex file before programing."});
        EXPECT_EQ(Status(), "Please open a hex file before programing.");
        EXPECT_TRUE(port.accesses.empty());
    }
}

TEST_F(MainDialog, TwoQuickClicksOnBlankRunTwoBlankChecksOneAfterTheOther)
{
    Start();
    FollowStatus();
    QWidget* blank = Widget(IDC_BLANK);
    const QPoint centre = blank->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                              QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(blank, new QMouseEvent(type, centre, blank->mapToGlobal(centre), Qt::LeftButton,
                                                           type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                           Qt::NoModifier));
    }
    QCoreApplication::processEvents();
    std::vector<std::string> outline;
    for (const std::string& text : statusTexts)
        if (text == "Blank Check" || text == "Blank Ok")
            outline.push_back(text);
    EXPECT_EQ(outline, (std::vector<std::string>{"Blank Check", "Blank Ok", "Blank Check", "Blank Ok"}));
}

TEST_F(MainDialog, WindowIsFixedSizeAndCentredWithCaptionAndIcon)
{
    Start();
    QWidget* window = Widget(IDC_ERASE)->window();
    EXPECT_EQ(window->windowTitle(), "brovik");
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowIcon().isNull());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 2);
}

TEST_F(MainDialog, MinimisedItPaintsItsIconCentredInTheClientArea)
{
    Start();
    QWidget* window = fw::WidgetOf(dlg->m_hWnd);
    window->setFixedSize(36, 36);
    window->showMinimized();
    ASSERT_TRUE(dlg->IsIconic());
    QImage image(36, 36, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    window->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const QImage icon = fw::PixmapOf(dlg->m_hIcon).toImage().convertToFormat(QImage::Format_ARGB32);
    int compared = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            if (qAlpha(icon.pixel(x, y)) == 255) {
                ASSERT_EQ(image.pixel(x + 2, y + 2), icon.pixel(x, y)) << "icon pixel " << x << "," << y;
                ++compared;
            }
    EXPECT_GT(compared, 100);
}

TEST_F(MainDialog, F1ShowsTheBuiltInHelp)
{
    Start();
    PressOnFocus(Qt::Key_F1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].icon, MB_ICONINFORMATION);
    for (const char* topic : {"Auto", "Byte delay", "/dev/parport", "usermod -aG lp"})
        EXPECT_NE(host.boxes[0].text.find(topic), std::string::npos) << topic;
    EXPECT_FALSE(dlg->HasEnded());
}

} // namespace
