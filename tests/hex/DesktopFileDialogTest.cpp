// SPDX-License-Identifier: GPL-2.0-or-later
// The real host's file-open dialog, driven by keys on Qt's offscreen
// platform: a typed name is taken as typed, existing or not, with no
// extension added, and the filter shows its name.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include "framework/DesktopHost.h"

namespace {

// Runs act on the file dialog once it is shown (from inside its modal loop).
void WhenFileDialogShows(std::function<void(QFileDialog&)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            if (dialog && dialog->isVisible()) {
                poll->stop();
                poll->deleteLater();
                act(*dialog);
                return;
            }
        }
    });
    poll->start();
}

class DesktopFileDialogTest : public ::testing::Test {
protected:
    DesktopFileDialogTest() : host(port, m_dir.File("brovik.INI")) {}

    test::TempDir m_dir;
    fw::NoPortBackend port;
    fw::DesktopHost host;
};

TEST_F(DesktopFileDialogTest, TypedNameOfAMissingFileIsTakenAsTyped)
{
    const std::string typed = m_dir.File("firmware");
    QString shownFilter;
    WhenFileDialogShows([&](QFileDialog& dialog) {
        if (auto* filters = dialog.findChild<QComboBox*>("fileTypeCombo"))
            shownFilter = filters->currentText();
        QLineEdit* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        if (!name) {
            ADD_FAILURE() << "no file name field";
            dialog.reject();
            return;
        }
        // The whole name at once: typed key by key, the dialog's folder model,
        // which loads in the background, would select the folders on the way.
        name->setText(QString::fromStdString(typed));
        QTest::keyClick(name, Qt::Key_Return);
        // The dialog must not still be waiting for an existing file.
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the dialog did not take the typed name";
            dialog.reject();
        }
    });

    std::string path;
    EXPECT_TRUE(host.GetOpenFileName(nullptr, "Hex File|*.hex||", path));

    EXPECT_EQ(path, typed);
    EXPECT_EQ(shownFilter.toStdString(), "Hex File");
}

TEST_F(DesktopFileDialogTest, EscapeCancels)
{
    WhenFileDialogShows([](QFileDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });

    std::string path = "unchanged";
    EXPECT_FALSE(host.GetOpenFileName(nullptr, "Hex File|*.hex||", path));
    EXPECT_EQ(path, "unchanged");
}

} // namespace
