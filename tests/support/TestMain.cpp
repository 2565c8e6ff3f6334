// SPDX-License-Identifier: GPL-2.0-or-later
// The gtest main of every suite: a QApplication on Qt's offscreen platform,
// so that real widgets exist without a display.
#include <QApplication>

#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
