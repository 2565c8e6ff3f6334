// SPDX-License-Identifier: GPL-2.0-or-later
// The three dialogs built from their templates as a user sees them: the
// logo whole beside its frame, and the system menu their styles allow.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/Menu.h"
#include "framework/QtBridge.h"
#include "framework/Window.h"
#include "res/Resources.h"
#include "res/resource.h"

namespace {

struct TemplateCase {
    const char* name;
    int templateId;
    std::vector<std::string> systemMenu;  // "-" for a separator
};

class DialogTemplates : public ::testing::TestWithParam<TemplateCase> {
protected:
    void SetUp() override
    {
        m_previous = fw::InstalledResources();
        fw::InstallResources(&BrovikResources());
        dialog = std::make_unique<CDialog>(static_cast<UINT>(GetParam().templateId));
        ASSERT_TRUE(dialog->Create());
    }
    void TearDown() override
    {
        dialog.reset();
        fw::InstallResources(m_previous);
    }

    QLabel* Picture()
    {
        for (HWND control : fw::window::Children(dialog->m_hWnd))
            if (auto* label = qobject_cast<QLabel*>(fw::WidgetOf(control)); label && !label->pixmap().isNull())
                return label;
        return nullptr;
    }

    std::unique_ptr<CDialog> dialog;

private:
    const ResourceTable* m_previous = nullptr;  // other suites of this executable keep theirs
};

TEST_P(DialogTemplates, TheWholeLogoIsDrawnAndItsControlHasItsSize)
{
    QLabel* picture = Picture();
    ASSERT_NE(picture, nullptr);
    const QImage logo = picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(logo.size(), QSize(55, 40));
    const int frame = picture->frameWidth();
    EXPECT_EQ(picture->size(), logo.size() + QSize(2 * frame, 2 * frame)) << "no strip beside the logo, no cut";

    QWidget* window = fw::WidgetOf(dialog->m_hWnd);
    ASSERT_TRUE(window->rect().contains(picture->geometry())) << "the picture lies inside the dialog";
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint origin = picture->geometry().topLeft() + QPoint(frame, frame);
    // From the bottom row up, so that a cut logo fails on its first row.
    for (int y = logo.height() - 1; y >= 0; --y)
        for (int x = 0; x < logo.width(); ++x)
            ASSERT_EQ(shown.pixel(origin + QPoint(x, y)), logo.pixel(x, y)) << "logo pixel " << x << "," << y;
}

std::vector<std::string> MenuTexts(const std::vector<CMenu::Item>& items)
{
    std::vector<std::string> texts;
    for (const auto& item : items)
        texts.push_back((item.flags & MF_SEPARATOR) ? "-" : item.text);
    return texts;
}

TEST_P(DialogTemplates, TheSystemMenuOffersWhatTheStylesAllow)
{
    EXPECT_EQ(MenuTexts(fw::window::OfferedSystemMenu(dialog->m_hWnd)), GetParam().systemMenu);
}

INSTANTIATE_TEST_SUITE_P(
    ThreeDialogs, DialogTemplates,
    ::testing::Values(TemplateCase{"MainDialog", IDD_BROVIK_DIALOG, {"&Move", "Mi&nimize", "-", "&Close"}},
                      TemplateCase{"AboutBox", IDD_ABOUTBOX, {"&Move", "-", "&Close"}},
                      TemplateCase{"FirstRunNotice", IDD_LPT, {"&Move", "-", "&Close"}}),
    [](const ::testing::TestParamInfo<TemplateCase>& info) { return std::string(info.param.name); });

} // namespace
