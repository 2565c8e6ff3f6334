// SPDX-License-Identifier: GPL-2.0-or-later
// The stored port selection, the first-run notice and the delay fields, on
// the real dialog with the settings in a temporary INI file.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <climits>
#include <filesystem>

#include <gtest/gtest.h>

#include "framework/QtBridge.h"
#include "tests/support/MainDialogFixture.h"

namespace {

constexpr int kMissing = -2;

class SettingsTest : public test::MainDialogTest {
protected:
    int Stored(const char* entry) { return host.Ini().GetInt("BROVIK", entry, kMissing); }
    QLineEdit* Edit(int id) { return static_cast<QLineEdit*>(fw::WidgetOf(dlg->GetDlgItemHandle(id))); }
    bool Ticked(int id) { return dlg->IsDlgButtonChecked(id) == BST_CHECKED; }
    HWND Focused() { return fw::HandleOf(QApplication::focusWidget()); }
    // A change of the whole text at once, as a paste makes it.
    void Paste(int id, const char* text)
    {
        Edit(id)->setFocus();
        Edit(id)->setText(text);
    }
};

TEST_F(SettingsTest, FirstStartShowsTheNoticeBeforeTheWindowAndStoresBothDelays)
{
    std::filesystem::remove(host.IniPath());
    bool windowShownAtNotice = true;
    host.onModal = [&](CDialog&) {
        windowShownAtNotice = dlg->IsWindowVisible();
        return IDOK;
    };
    Start();
    EXPECT_EQ(host.modalTemplates, std::vector<UINT>{IDD_LPT});
    EXPECT_FALSE(windowShownAtNotice);
    EXPECT_FALSE(Ticked(IDC_LPT1) || Ticked(IDC_LPT2) || Ticked(IDC_LPT3));
    EXPECT_EQ(Edit(IDC_DELAY_BIT)->text(), "1");
    EXPECT_EQ(Edit(IDC_DELAY_BYTE)->text(), "1");
    EXPECT_EQ(Stored("DELAY BIT"), 1);
    EXPECT_EQ(Stored("DELAY BYTE"), 1);
    EXPECT_EQ(Stored("LPT PORT"), kMissing) << "closing the notice chooses no port";
    EXPECT_EQ(dlg->m_port.BaseAddress(), 0);
}

TEST_F(SettingsTest, WithoutAPortEveryOperationShowsTheNoticeAgainAndGoesOn)
{
    std::filesystem::remove(host.IniPath());
    Start();
    Click(IDC_ERASE);
    EXPECT_EQ(host.modalTemplates, (std::vector<UINT>{IDD_LPT, IDD_LPT}));
    EXPECT_EQ(Status(), "Erase Ok");
}

TEST_F(SettingsTest, StoredPortNumberChoosesAddressAndButton)
{
    struct Case {
        int stored;
        std::uint16_t base;
        int ticked;
    };
    for (const Case& c : {Case{1, 0x378, IDC_LPT1}, Case{2, 0x278, IDC_LPT2}, Case{7, 0, 0}}) {
        StorePort(c.stored);
        dlg = std::make_unique<CBrovikDlg>();
        host.modalTemplates.clear();
        Start();
        EXPECT_TRUE(host.modalTemplates.empty()) << "no notice for " << c.stored;
        EXPECT_EQ(dlg->m_port.BaseAddress(), c.base);
        for (int id : {IDC_LPT1, IDC_LPT2, IDC_LPT3})
            EXPECT_EQ(Ticked(id), id == c.ticked) << "stored " << c.stored << ", button " << id;
    }
}

TEST_F(SettingsTest, ClickingAPortStoresItButTheAddressFollowsAtTheNextOperation)
{
    StorePort(2);
    Start();
    Click(IDC_LPT1);
    EXPECT_EQ(Stored("LPT PORT"), 1);
    EXPECT_TRUE(Ticked(IDC_LPT1));
    EXPECT_FALSE(Ticked(IDC_LPT2));
    EXPECT_EQ(dlg->m_port.BaseAddress(), 0x278);
    Click(IDC_ERASE);
    EXPECT_EQ(dlg->m_port.BaseAddress(), 0x378);
}

TEST_F(SettingsTest, OutOfRangeStoredFactorIsUsedAndShownWithoutAMessage)
{
    StoreDelays(11, 2);
    Start();
    EXPECT_EQ(dlg->m_delayBit, 11u);
    EXPECT_EQ(Edit(IDC_DELAY_BIT)->text(), "11");
    EXPECT_TRUE(host.boxes.empty());
    Paste(IDC_DELAY_BYTE, "3");
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{"Please enter an integer between 1 and 10."});
    EXPECT_EQ(Focused(), dlg->GetDlgItemHandle(IDC_DELAY_BIT));
}

// The cap of the link, applied when the factors are read: the fields show
// what is used, never 4294967295 for a stored -1, and the file keeps its value.
TEST_F(SettingsTest, NegativeOrHugeStoredFactorsAreUsedAsTheCap)
{
    struct Case {
        int stored;
        std::uint32_t used;
    };
    for (const Case c : {Case{-1, 1000}, Case{INT_MIN, 1000}, Case{1001, 1000}, Case{INT_MAX, 1000}, Case{1000, 1000},
                         Case{200, 200}}) {
        SCOPED_TRACE(c.stored);
        StoreDelays(c.stored, c.stored);
        dlg = std::make_unique<CBrovikDlg>();
        Start();
        EXPECT_EQ(dlg->m_delayBit, c.used);
        EXPECT_EQ(dlg->m_delayByte, c.used);
        EXPECT_EQ(Edit(IDC_DELAY_BIT)->text(), QString::number(c.used));
        EXPECT_EQ(Edit(IDC_DELAY_BYTE)->text(), QString::number(c.used));
        EXPECT_EQ(Stored("DELAY BIT"), c.stored);
        EXPECT_EQ(Stored("DELAY BYTE"), c.stored);
        EXPECT_TRUE(host.boxes.empty());

        // The byte delay as the sleeps of an erase see it. The bit clock is a
        // real busy-wait, which these virtual sleeps do not cover.
        dlg->m_delayBit = 0;
        host.sleeps.clear();
        Click(IDC_ERASE);
        const std::uint32_t entry = 200 * c.used;
        EXPECT_EQ(host.sleeps, (std::vector<std::uint32_t>{entry, entry, entry, entry, 40 * c.used}));
    }
}

TEST_F(SettingsTest, EditsAreValidatedAndStoredAtEveryChange)
{
    struct Case {
        const char* text;
        const char* message;  // empty: accepted
        int stored;
    };
    const Case cases[] = {
        {"7", "", 7},
        {"abc", "Please enter a positive integer.", 4},
        {"", "Please enter a positive integer.", 4},
        {" +7 ", "", 7},
        {"0", "Please enter an integer between 1 and 10.", 0},
        {"11", "Please enter an integer between 1 and 10.", 11},
        {"4294967296", "Please enter an integer between 1 and 10.", -1},  // 4294967295 as "%d"
    };
    StoreDelays(4, 2);
    Start();
    for (const Case& c : cases) {
        Paste(IDC_DELAY_BIT, "4");
        host.boxes.clear();
        Paste(IDC_DELAY_BIT, c.text);
        EXPECT_EQ(Stored("DELAY BIT"), c.stored) << '"' << c.text << '"';
        if (*c.message == '\0') {
            EXPECT_TRUE(host.boxes.empty()) << c.text;
            continue;
        }
        ASSERT_EQ(host.boxes.size(), 1u) << c.text;
        EXPECT_EQ(host.boxes[0].text, c.message);
        EXPECT_EQ(host.boxes[0].icon, MB_ICONEXCLAMATION);
        EXPECT_EQ(Focused(), dlg->GetDlgItemHandle(IDC_DELAY_BIT));
        EXPECT_EQ(Edit(IDC_DELAY_BIT)->selectedText(), QString(c.text));
    }
}

TEST_F(SettingsTest, AnInvalidBitFieldBlocksAnEditOfTheByteField)
{
    StoreDelays(4, 2);
    Start();
    Paste(IDC_DELAY_BIT, "x");
    host.boxes.clear();
    Paste(IDC_DELAY_BYTE, "5");
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{"Please enter a positive integer."});
    EXPECT_EQ(Focused(), dlg->GetDlgItemHandle(IDC_DELAY_BIT));
    EXPECT_EQ(dlg->m_delayByte, 2u);
    EXPECT_EQ(Stored("DELAY BYTE"), 2);
}

TEST_F(SettingsTest, AValidBitEditIsStoredBeforeTheByteFieldIsChecked)
{
    StoreDelays(4, 2);
    Start();
    Paste(IDC_DELAY_BYTE, "0");
    host.boxes.clear();
    Paste(IDC_DELAY_BIT, "6");
    EXPECT_EQ(dlg->m_delayBit, 6u);
    EXPECT_EQ(Stored("DELAY BIT"), 6);
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{"Please enter an integer between 1 and 10."});
    EXPECT_EQ(Focused(), dlg->GetDlgItemHandle(IDC_DELAY_BYTE));
}

TEST_F(SettingsTest, OutwardExchangeRunsNoChangeHandler)
{
    StoreDelays(4, 2);
    Start();
    dlg->m_delayBit = 9;
    dlg->LoadPortSelection();
    EXPECT_EQ(Edit(IDC_DELAY_BIT)->text(), "9");
    EXPECT_EQ(Stored("DELAY BIT"), 4);
}

} // namespace
