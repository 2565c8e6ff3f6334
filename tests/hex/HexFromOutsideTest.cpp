// SPDX-License-Identifier: GPL-2.0-or-later
// A HEX file that comes from outside the dialog, named on the command line or
// dropped on the window, is loaded exactly as "Open Hex File" loads the file
// chosen in its dialog: the same boxes, status text, bar and image.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "framework/AppName.h"
#include "framework/QtBridge.h"
#include "res/resource.h"
#include "tests/hex/HexLoadFixture.h"

namespace test {
namespace {

enum class Route { Button, CommandLine, Drop };

const char* RouteName(Route route)
{
    switch (route) {
    case Route::Button:
        return "Button";
    case Route::CommandLine:
        return "CommandLine";
    case Route::Drop:
        return "Drop";
    }
    return "";
}

struct LoadCase {
    const char* name;
    // Prepares the file in the scratch folder and returns its path.
    std::function<std::string(HexLoadTest&)> prepare;
    // The boxes, with %1 standing for the path; none for a load accepted.
    std::vector<ShownBox> boxes;
    std::string status;
    BarState bar;
    std::uint32_t lastAddress;
};

std::string WithPath(std::string text, const std::string& path)
{
    if (const auto at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, path);
    return text;
}

const LoadCase kLoads[] = {
    {"Example", [](HexLoadTest& t) { return t.WriteFile("example.hex", kExample); }, {}, "Load Hex File Ok", {0, 1, 1},
     0x32},
    {"NotHex", [](HexLoadTest& t) { return t.WriteFile("notes.hex", "just some text\n"); }, {{kNotHexFormat, "", 0}}, "",
     {0, 1, 0}, 0},
    {"BadChecksum", [](HexLoadTest& t) { return t.WriteFile("bad.hex", ":0300300002337A1F\n:00000001FF\n"); },
     {{kChecksumError, "", 0}}, "", {0, 1, 0}, 0},
    {"Beyond8192", [](HexLoadTest& t) { return t.WriteFile("big.hex", Record(0, 0x1FFF, {1, 2}) + "\n" + kEndRecord); },
     {{kOver8192, "", 0}}, "", {0, 1, 0}, 0},
    {"Missing", [](HexLoadTest& t) { return t.PathOf("missing.hex"); }, {{"%1 was not found.", "", MB_ICONHAND}}, "",
     {0, 1, 0}, 0},
    {"Folder",
     [](HexLoadTest& t) {
         std::filesystem::create_directory(t.PathOf("folder.hex"));
         return t.PathOf("folder.hex");
     },
     {{"Access to %1 was denied.", "", MB_ICONHAND}}, "", {0, 1, 0}, 0},
};

class HexFromOutsideTest : public HexLoadTest {
protected:
    // Started by each test, after it has said how the file comes.
    void SetUp() override {}

    // Offers urls to the dialog as a file manager's drop does; true when the
    // dialog took the drop. What the drop starts runs before this returns.
    bool Drop(const QList<QUrl>& urls)
    {
        QWidget* window = fw::WidgetOf(dlg->m_hWnd);
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        QApplication::processEvents();
        return drop.isAccepted();
    }

    void LoadThrough(Route route, const std::string& path)
    {
        switch (route) {
        case Route::Button:
            Start();
            OpenHex(path);
            break;
        case Route::CommandLine:
            dlg->m_fileToOpen = path;
            Start();
            QApplication::processEvents();
            break;
        case Route::Drop:
            Start();
            EXPECT_TRUE(Drop({QUrl::fromLocalFile(QString::fromStdString(path))}));
            break;
        }
    }
};

class HexLoadRouteTest : public HexFromOutsideTest, public ::testing::WithParamInterface<std::tuple<Route, LoadCase>> {};

TEST_P(HexLoadRouteTest, LoadsAsOpenHexFileDoes)
{
    const auto& [route, c] = GetParam();
    const std::string path = c.prepare(*this);

    LoadThrough(route, path);

    ASSERT_EQ(host.boxes.size(), c.boxes.size()) << ::testing::PrintToString(host.BoxTexts());
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
        EXPECT_EQ(host.boxes[i].text, WithPath(c.boxes[i].text, path));
        EXPECT_EQ(host.boxes[i].icon, c.boxes[i].icon);
        EXPECT_EQ(host.boxes[i].caption, fw::ApplicationName());
    }
    EXPECT_EQ(Status(), c.status);
    EXPECT_EQ(Bar(), c.bar);
    EXPECT_EQ(dlg->m_lastAddress, c.lastAddress);
    EXPECT_FALSE(dlg->m_fileToOpen) << "the file named at start is opened once";
}

INSTANTIATE_TEST_SUITE_P(Files, HexLoadRouteTest,
                         ::testing::Combine(::testing::Values(Route::Button, Route::CommandLine, Route::Drop),
                                            ::testing::ValuesIn(kLoads)),
                         [](const ::testing::TestParamInfo<std::tuple<Route, LoadCase>>& info) {
                             return std::string(RouteName(std::get<0>(info.param))) + "_" + std::get<1>(info.param).name;
                         });

// On a first run the notice comes first, before the main window is shown;
// the file is opened once the window is up, and its boxes come after.
TEST_F(HexFromOutsideTest, TheFileNamedAtStartOpensAfterTheFirstRunNotice)
{
    host.Ini().WriteInt("BROVIK", "LPT PORT", 0);
    bool shownWhenOpened = false;
    host.onBox = [&](const ShownBox&) { shownWhenOpened = dlg->IsWindowVisible(); };
    dlg->m_fileToOpen = WriteFile("notes.hex", "no records here\n");

    Start();
    QApplication::processEvents();

    ASSERT_EQ(host.journal.size(), 2u);
    EXPECT_EQ(host.journal[0].kind, Event::Modal);
    EXPECT_EQ(host.journal[0].text, std::to_string(IDD_LPT));
    EXPECT_EQ(host.journal[1].kind, Event::Box);
    EXPECT_EQ(host.journal[1].text, kNotHexFormat);
    EXPECT_TRUE(shownWhenOpened);
}

// Only a drop of one local file is taken; anything else is refused at the
// door (the pointer shows it) and changes nothing.
TEST_F(HexFromOutsideTest, OnlyADropOfOneLocalFileIsTaken)
{
    Start();
    const QUrl example = QUrl::fromLocalFile(QString::fromStdString(WriteFile("example.hex", kExample)));
    const QUrl other = QUrl::fromLocalFile(QString::fromStdString(WriteFile("other.hex", kExample)));

    EXPECT_FALSE(Drop({example, other}));
    EXPECT_FALSE(Drop({QUrl("https://example.org/firmware.hex")}));
    EXPECT_FALSE(Drop({}));
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(dlg->m_lastAddress, 0u);

    EXPECT_TRUE(Drop({example}));
    EXPECT_EQ(Status(), "Load Hex File Ok");
    EXPECT_EQ(dlg->m_lastAddress, 0x32u);
}

// While a box waits for an answer, a drop would start a load in the middle
// of whatever showed the box: it is refused until the box is answered.
TEST_F(HexFromOutsideTest, NoDropWhileABoxIsUp)
{
    Start();
    const QUrl example = QUrl::fromLocalFile(QString::fromStdString(WriteFile("example.hex", kExample)));
    QWidget box;
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);

    EXPECT_FALSE(Drop({example}));
    box.hide();
    EXPECT_TRUE(Drop({example}));
    EXPECT_EQ(Status(), "Load Hex File Ok");
}

} // namespace
} // namespace test
