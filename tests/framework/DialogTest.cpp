// SPDX-License-Identifier: GPL-2.0-or-later
// The dialog framework through real widgets on a small template: keyboard
// rules, radio groups, edit notifications and data exchange.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/QtBridge.h"
#include "framework/Styles.h"
#include "framework/Window.h"
#include "tests/support/TestHost.h"

namespace {

constexpr int kTemplate = 900;
enum : int { kFirst = 10, kSecond, kRadioA, kRadioB, kRadioC, kOther, kEditOne, kEditTwo };

const ControlTemplate kControls[] = {
    {kFirst, ControlKind::PushButton, "First", 5, 5, 40, 14, WS_TABSTOP},
    {kRadioA, ControlKind::AutoRadioButton, "A", 5, 25, 40, 10, WS_GROUP},
    {kRadioB, ControlKind::AutoRadioButton, "B", 5, 35, 40, 10, 0},
    {kRadioC, ControlKind::AutoRadioButton, "C", 5, 45, 40, 10, 0},
    {kOther, ControlKind::AutoRadioButton, "Other group", 5, 55, 40, 10, WS_GROUP},
    {kEditOne, ControlKind::Edit, "", 60, 5, 30, 14, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL},
    {-1, ControlKind::Static, "label", 60, 25, 30, 8, WS_GROUP},
    {kSecond, ControlKind::PushButton, "Second", 60, 40, 40, 14, WS_TABSTOP},
    {kEditTwo, ControlKind::Edit, "", 60, 60, 30, 14, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL},
};
const DialogTemplate kDialog{kTemplate, "Test", "MS Sans Serif", 8, 120, 80, WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER, 0,
                             kControls};
// The same with a minimise box.
constexpr int kMinimisableTemplate = 901;
const DialogTemplate kMinimisableDialog{kMinimisableTemplate, "Minimisable", "MS Sans Serif", 8, 120, 80,
                                        WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, kControls};

class Resources final : public ResourceTable {
public:
    const DialogTemplate* Dialog(int id) const override
    {
        return id == kTemplate ? &kDialog : id == kMinimisableTemplate ? &kMinimisableDialog : nullptr;
    }
    std::string String(UINT) const override { return {}; }
    const ImageResource* Image(int) const override { return nullptr; }
};

class TestDialog final : public CDialog {
public:
    TestDialog() : CDialog(kTemplate) {}

    std::uint32_t one = 5;
    std::uint32_t two = 6;
    std::vector<std::string> events;

    FW_DECLARE_MESSAGE_MAP();

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, kEditOne, one);
        DDV_MinMaxUInt(pDX, one, 1, 10);
        DDX_Text(pDX, kEditTwo, two);
        DDV_MinMaxUInt(pDX, two, 1, 10);
    }

private:
    void OnFirst() { events.push_back("First"); }
    void OnSecond() { events.push_back("Second"); }
    void OnRadioB() { events.push_back("B"); }
    void OnChangeOne() { events.push_back("change one:" + GetDlgItemText(kEditOne)); }
};

FW_MESSAGE_MAP(TestDialog, CDialog,
               fw::OnClicked<&TestDialog::OnFirst>(kFirst),
               fw::OnClicked<&TestDialog::OnSecond>(kSecond),
               fw::OnClicked<&TestDialog::OnRadioB>(kRadioB),
               fw::OnEnChange<&TestDialog::OnChangeOne>(kEditOne))

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setup.emplace(host, &resources);
        ASSERT_TRUE(dialog.Create());
        QWidget* window = Widget(kFirst)->window();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void TearDown() override
    {
        dialog.DestroyWindow();
        setup.reset();
    }

    QWidget* Widget(int id) { return fw::WidgetOf(dialog.GetDlgItemHandle(id)); }
    QLineEdit* Edit(int id) { return static_cast<QLineEdit*>(Widget(id)); }
    HWND Focused() { return fw::HandleOf(QApplication::focusWidget()); }
    void Key(int key) { QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key)); }

    test::TestHost host;
    Resources resources;
    std::optional<fw::Setup> setup;
    TestDialog dialog;
};

TEST_F(DialogTest, TabVisitsTabStopsInCreationOrderAndStartsOnTheFirst)
{
    const std::vector<int> expected{kEditOne, kSecond, kEditTwo, kFirst, kEditOne};
    EXPECT_EQ(Focused(), dialog.GetDlgItemHandle(kFirst));
    for (int id : expected) {
        Key(Qt::Key_Tab);
        EXPECT_EQ(Focused(), dialog.GetDlgItemHandle(id)) << "expected control " << id;
    }
}

TEST_F(DialogTest, EnterRunsTheFocusedPushButtonAndKeepsTheDialog)
{
    Widget(kSecond)->setFocus();
    Key(Qt::Key_Return);
    EXPECT_EQ(dialog.events, std::vector<std::string>{"Second"});
    EXPECT_FALSE(dialog.HasEnded());
}

TEST_F(DialogTest, EnterInAnEditClosesOnlyWhenTheExchangePasses)
{
    Edit(kEditTwo)->end(false);
    QTest::keyClicks(Edit(kEditTwo), "x");  // "6x" is no number
    Widget(kEditOne)->setFocus();
    Key(Qt::Key_Enter);
    EXPECT_FALSE(dialog.HasEnded());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Please enter a positive integer.");
    EXPECT_EQ(host.boxes[0].icon, MB_ICONEXCLAMATION);
    EXPECT_EQ(Focused(), dialog.GetDlgItemHandle(kEditTwo));
    EXPECT_EQ(Edit(kEditTwo)->selectedText(), "6x");
    EXPECT_EQ(dialog.two, 6u);

    Edit(kEditTwo)->setText("7");
    Key(Qt::Key_Return);
    EXPECT_TRUE(dialog.HasEnded());
    EXPECT_EQ(dialog.Result(), IDOK);
    EXPECT_EQ(dialog.two, 7u);
}

TEST_F(DialogTest, EscapeAndTheCloseBoxEndWithoutAnExchange)
{
    Edit(kEditOne)->setText("abc");
    Key(Qt::Key_Escape);
    EXPECT_TRUE(dialog.HasEnded());
    EXPECT_EQ(dialog.Result(), IDCANCEL);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(dialog.one, 5u);

    dialog.DestroyWindow();
    ASSERT_TRUE(dialog.Create());
    Widget(kFirst)->window()->close();
    EXPECT_TRUE(dialog.HasEnded());
    EXPECT_EQ(dialog.Result(), IDCANCEL);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(DialogTest, RadioClickClearsItsGroupButSetCheckSetsOneButton)
{
    auto checked = [&](int id) { return dialog.IsDlgButtonChecked(id) == BST_CHECKED; };
    auto* other = static_cast<QRadioButton*>(Widget(kOther));
    QTest::mouseClick(other, Qt::LeftButton);
    QTest::mouseClick(static_cast<QRadioButton*>(Widget(kRadioA)), Qt::LeftButton);
    QTest::mouseClick(static_cast<QRadioButton*>(Widget(kRadioB)), Qt::LeftButton);
    EXPECT_FALSE(checked(kRadioA));
    EXPECT_TRUE(checked(kRadioB));
    EXPECT_TRUE(checked(kOther)) << "another group is left alone";
    EXPECT_EQ(dialog.events, std::vector<std::string>{"B"});

    // A second click on a ticked button keeps it ticked.
    QTest::mouseClick(static_cast<QRadioButton*>(Widget(kRadioB)), Qt::LeftButton);
    EXPECT_TRUE(checked(kRadioB));

    CButton c;
    c.Attach(dialog.GetDlgItemHandle(kRadioC));
    c.SetCheck(BST_CHECKED);
    EXPECT_TRUE(checked(kRadioB)) << "SetCheck does not clear the group";
    EXPECT_TRUE(checked(kRadioC));
    EXPECT_TRUE(static_cast<QRadioButton*>(Widget(kRadioC))->isChecked());
    c.Detach();
}

TEST_F(DialogTest, EditChangeComesFromTypingAndProgrammaticTextButNotFromOutwardExchange)
{
    dialog.one = 9;
    dialog.UpdateData(FALSE);
    EXPECT_EQ(Edit(kEditOne)->text(), "9");
    EXPECT_TRUE(dialog.events.empty());

    Edit(kEditOne)->setFocus();
    Edit(kEditOne)->end(false);
    QTest::keyClick(Edit(kEditOne), Qt::Key_Backspace);
    QTest::keyClicks(Edit(kEditOne), "3");
    dialog.SetDlgItemText(kEditOne, "4");
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"change one:", "change one:3", "change one:4"}));
}

TEST_F(DialogTest, ArrowKeysMoveWithinTheRadioGroupTickingAndClickingWithWrapAround)
{
    auto checked = [&](int id) { return dialog.IsDlgButtonChecked(id) == BST_CHECKED; };
    QTest::mouseClick(static_cast<QRadioButton*>(Widget(kOther)), Qt::LeftButton);
    QTest::mouseClick(static_cast<QRadioButton*>(Widget(kRadioA)), Qt::LeftButton);
    ASSERT_EQ(Focused(), dialog.GetDlgItemHandle(kRadioA));

    struct Step {
        int key;
        int reached;
    };
    const Step steps[] = {{Qt::Key_Down, kRadioB}, {Qt::Key_Right, kRadioC}, {Qt::Key_Down, kRadioA},
                          {Qt::Key_Up, kRadioC},   {Qt::Key_Left, kRadioB}};
    for (const Step& step : steps) {
        Key(step.key);
        EXPECT_EQ(Focused(), dialog.GetDlgItemHandle(step.reached)) << "key " << step.key;
        for (int id : {kRadioA, kRadioB, kRadioC})
            EXPECT_EQ(checked(id), id == step.reached) << "key " << step.key << ", button " << id;
        EXPECT_TRUE(checked(kOther)) << "the other group is left alone";
    }
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"B", "B"})) << "each button reached sends BN_CLICKED";

    // A group of one keeps the focus and its tick.
    QTest::mouseClick(static_cast<QRadioButton*>(Widget(kOther)), Qt::LeftButton);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focused(), dialog.GetDlgItemHandle(kOther));
    EXPECT_TRUE(checked(kOther));
    EXPECT_TRUE(checked(kRadioB));
}

TEST_F(DialogTest, ArrowKeysInAnEditMoveTheCursorNotTheFocus)
{
    Edit(kEditOne)->setFocus();
    Key(Qt::Key_Left);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focused(), dialog.GetDlgItemHandle(kEditOne));
}

TEST_F(DialogTest, TextSetByTheProgramShowsFromItsStartWhileTypingFollowsTheCursor)
{
    const std::string longValue = "4294967295 4294967295 4294967295";
    dialog.SetDlgItemText(kEditOne, longValue);
    EXPECT_EQ(Edit(kEditOne)->cursorPosition(), 0);
    EXPECT_LT(Edit(kEditOne)->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), Edit(kEditOne)->width() / 4)
        << "the start is in view";

    Edit(kEditOne)->setFocus();
    Edit(kEditOne)->end(false);
    QTest::keyClicks(Edit(kEditOne), "12");
    EXPECT_EQ(Edit(kEditOne)->cursorPosition(), static_cast<int>(longValue.size()) + 2);
}

std::vector<std::string> MenuTexts(const std::vector<CMenu::Item>& items)
{
    std::vector<std::string> texts;
    for (const auto& item : items)
        texts.push_back((item.flags & MF_SEPARATOR) ? "-" : item.text);
    return texts;
}

TEST_F(DialogTest, SystemMenuFollowsTheMinimiseBoxAndTheWindowState)
{
    EXPECT_EQ(MenuTexts(fw::window::OfferedSystemMenu(dialog.m_hWnd)), (std::vector<std::string>{"&Move", "-", "&Close"}));

    CDialog minimisable(kMinimisableTemplate);
    ASSERT_TRUE(minimisable.Create());
    EXPECT_EQ(MenuTexts(fw::window::OfferedSystemMenu(minimisable.m_hWnd)),
              (std::vector<std::string>{"&Move", "Mi&nimize", "-", "&Close"}));
    minimisable.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    ASSERT_TRUE(minimisable.IsIconic());
    EXPECT_EQ(MenuTexts(fw::window::OfferedSystemMenu(minimisable.m_hWnd)),
              (std::vector<std::string>{"&Restore", "&Move", "-", "&Close"}));
    minimisable.SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_FALSE(minimisable.IsIconic());
}

TEST_F(DialogTest, OnlyADialogWithAMinimiseBoxStaysMinimised)
{
    QWidget* plain = Widget(kFirst)->window();
    plain->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog.IsIconic()) << "a window manager's minimise is undone without a minimise box";
    EXPECT_TRUE(dialog.IsWindowVisible());

    CDialog minimisable(kMinimisableTemplate);
    ASSERT_TRUE(minimisable.Create());
    fw::WidgetOf(minimisable.m_hWnd)->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(minimisable.IsIconic());
}

TEST_F(DialogTest, MoveFollowsTheArrowKeysUntilEnterAndEscapePutsTheWindowBack)
{
    QWidget* window = Widget(kFirst)->window();
    const QPoint start = window->pos();
    auto press = [&](Qt::Key key) { QTest::keyClick(window, key); };

    dialog.SendMessage(WM_SYSCOMMAND, SC_MOVE);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    EXPECT_EQ(window->pos(), start + QPoint(16, 8));
    press(Qt::Key_Escape);
    EXPECT_EQ(window->pos(), start);
    EXPECT_FALSE(dialog.HasEnded()) << "Escape ends the move, not the dialog";

    dialog.SendMessage(WM_SYSCOMMAND, SC_MOVE);
    press(Qt::Key_Left);
    press(Qt::Key_Return);
    EXPECT_EQ(window->pos(), start + QPoint(-8, 0));
    EXPECT_TRUE(dialog.events.empty()) << "Enter ends the move, not a button";
    press(Qt::Key_Left);
    EXPECT_EQ(window->pos(), start + QPoint(-8, 0)) << "after the move the keys are the dialog's again";
}

} // namespace
