// SPDX-License-Identifier: GPL-2.0-or-later
// The text progress control's messages: their results, which of them force a
// redraw at once and which only request one, and what stepping through the
// flash costs in redraws.
#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include <QtGlobal>

#include <gtest/gtest.h>

#include "framework/Messages.h"
#include "tests/ui/ProgressFixture.h"

namespace uitest {
namespace {

constexpr WPARAM Signed(int value) { return static_cast<WPARAM>(static_cast<LPARAM>(value)); }

class TextProgressMessages : public ProgressFixture {
protected:
    void SetUp() override
    {
        ProgressFixture::SetUp();
        AttachTo(kBarId);
    }

    // The text WM_GETTEXT leaves in a buffer of bufferSize characters.
    std::string Text(WPARAM bufferSize, LRESULT* copied)
    {
        std::vector<char> buffer(bufferSize + 8, '#');
        buffer.back() = '\0';
        *copied = progress.SendMessage(WM_GETTEXT, bufferSize, reinterpret_cast<LPARAM>(buffer.data()));
        EXPECT_EQ(buffer[bufferSize], '#') << "nothing is written past the buffer";
        return buffer.data();
    }
};

struct Step {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

TEST_F(TextProgressMessages, EachMessageAnswersFromTheControlsOwnFields)
{
    const Step script[] = {
        {PBM_GETPOS, 0, 0, 0},
        {PBM_SETPOS, 7, 0, 0},
        {PBM_DELTAPOS, 3, 0, 7},
        {PBM_GETPOS, 0, 0, 10},
        {PBM_SETSTEP, 5, 0, 1},
        {PBM_SETSTEP, 25, 0, 5},
        {PBM_STEPIT, 0, 0, 10},
        {PBM_GETPOS, 0, 0, 35},
        {PBM_DELTAPOS, Signed(-40), 0, 35},
        {PBM_GETPOS, 0, 0, -5},
        // The two halves of PBM_SETRANGE are unsigned 16-bit numbers.
        {PBM_SETRANGE, 0, MAKELPARAM(0, 8192), 0},
        {PBM_GETRANGE, TRUE, 0, 0},
        {PBM_GETRANGE, FALSE, 0, 8192},
        {PBM_SETRANGE, 0, MAKELPARAM(40000, 65535), 0},
        {PBM_GETRANGE, TRUE, 0, 40000},
        {PBM_GETRANGE, FALSE, 0, 65535},
        {PBM_SETRANGE32, Signed(-100), -1, 0},
        {PBM_GETRANGE, TRUE, 0, -100},
        {PBM_GETRANGE, FALSE, 0, -1},
        {PBM_GETPOS, 0, 0, -5},
        {PBM_SETBARCOLOR, 0, RGB(1, 2, 3), CLR_DEFAULT},
        {PBM_SETBARCOLOR, 0, RGB(4, 5, 6), RGB(1, 2, 3)},
        {PBM_SETBKCOLOR, 0, RGB(7, 8, 9), CLR_DEFAULT},
        {PBM_SETBKCOLOR, 0, CLR_DEFAULT, RGB(7, 8, 9)},
        {PBM_SETTEXTCOLOR, 0, RGB(10, 11, 12), CLR_DEFAULT},
        {PBM_SETTEXTCOLOR, 0, RGB(13, 14, 15), RGB(10, 11, 12)},
        {PBM_SETSHOWTEXT, FALSE, 0, 0},
        {WM_ERASEBKGND, 0, 0, 1},
        {WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Erase Ok"), TRUE},
    };
    for (const Step& step : script)
        EXPECT_EQ(progress.SendMessage(step.msg, step.wParam, step.lParam), step.result)
            << "message 0x" << std::hex << step.msg << " wParam " << std::dec << static_cast<LPARAM>(step.wParam);

    EXPECT_EQ(progress.GetBarColor(), RGB(4, 5, 6));
    EXPECT_EQ(progress.GetBkColor(), CLR_DEFAULT);
    EXPECT_EQ(progress.GetTextColor(), RGB(13, 14, 15));
}

TEST_F(TextProgressMessages, GetRangeFillsTheRecordOnlyWhenGivenOne)
{
    progress.SetRange32(-20, 300);
    PBRANGE range{1, 2};
    EXPECT_EQ(progress.SendMessage(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range)), 300);
    EXPECT_EQ(range.iLow, -20);
    EXPECT_EQ(range.iHigh, 300);
    EXPECT_EQ(progress.SendMessage(PBM_GETRANGE, TRUE, 0), -20);
}

TEST_F(TextProgressMessages, GetTextCopiesTheStatusTextCutToTheBuffer)
{
    LRESULT copied = -1;
    EXPECT_EQ(Text(20, &copied), "") << "the template's caption is not a status text";
    EXPECT_EQ(copied, 0);

    progress.SetWindowText("Erase Ok");
    const struct {
        WPARAM bufferSize;
        const char* text;
        LRESULT copied;
    } cases[] = {{5, "Eras", 4}, {8, "Erase O", 7}, {9, "Erase Ok", 8}, {100, "Erase Ok", 8}, {1, "", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(Text(c.bufferSize, &copied), c.text) << "buffer of " << c.bufferSize;
        EXPECT_EQ(copied, c.copied) << "buffer of " << c.bufferSize;
    }

    char untouched[4] = {'#', '#', '#', '\0'};
    EXPECT_EQ(progress.SendMessage(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(untouched)), 0);
    EXPECT_STREQ(untouched, "###");

    progress.SendMessage(WM_SETTEXT, 0, 0);
    EXPECT_EQ(progress.GetWindowText(), "") << "a null text is the empty text";
}

TEST_F(TextProgressMessages, WithoutAWindowSetPosStoresNothingAndSettersOnlyStore)
{
    CountingProgressCtrl unattached;
    EXPECT_EQ(unattached.SetPos(40), -1);
    EXPECT_EQ(unattached.StepIt(), -1);
    EXPECT_EQ(unattached.OffsetPos(5), -1);
    EXPECT_EQ(unattached.GetPos(), 0);
    EXPECT_EQ(unattached.SetBarColor(RGB(1, 1, 1)), CLR_DEFAULT);
    EXPECT_EQ(unattached.GetBarColor(), RGB(1, 1, 1));
    unattached.SetShowText(FALSE);
    EXPECT_EQ(unattached.paints, 0);
}

struct RequestCase {
    const char* name;
    std::function<void(CTextProgressCtrl&)> act;
    bool requestsRepaint;
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class RepaintRequests : public TextProgressMessages, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(RepaintRequests, TextsColoursAndFlagsOnlyEverRequestARepaint)
{
    progress.SetWindowText("Erase Ok");
    progress.SetBarColor(RGB(0, 0, 200));
    HandleEvents();
    progress.paints = 0;

    GetParam().act(progress);
    EXPECT_EQ(progress.paints, 0) << "nothing is painted before the thread handles its messages";
    HandleEvents();
    EXPECT_EQ(progress.paints > 0, GetParam().requestsRepaint);
}

INSTANTIATE_TEST_SUITE_P(
    TextProgressMessages, RepaintRequests,
    ::testing::Values(
        RequestCase{"SameText", [](CTextProgressCtrl& c) { c.SetWindowText("Erase Ok"); }, false},
        RequestCase{"TextDifferingInCase", [](CTextProgressCtrl& c) { c.SetWindowText("Erase OK"); }, true},
        RequestCase{"NewText", [](CTextProgressCtrl& c) { c.SetWindowText("Blank check"); }, true},
        RequestCase{"SameShowText", [](CTextProgressCtrl& c) { c.SetShowText(TRUE); }, false},
        RequestCase{"HideText", [](CTextProgressCtrl& c) { c.SetShowText(FALSE); }, true},
        RequestCase{"SameBarColour", [](CTextProgressCtrl& c) { c.SetBarColor(RGB(0, 0, 200)); }, true},
        RequestCase{"BackgroundColour", [](CTextProgressCtrl& c) { c.SetBkColor(RGB(9, 9, 9)); }, true},
        RequestCase{"TextColour", [](CTextProgressCtrl& c) { c.SetTextColor(RGB(9, 9, 9)); }, true},
        RequestCase{"Range", [](CTextProgressCtrl& c) { c.SetRange(0, 10); }, false},
        RequestCase{"Range32", [](CTextProgressCtrl& c) { c.SetRange32(0, 10); }, false},
        RequestCase{"Step", [](CTextProgressCtrl& c) { c.SetStep(3); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextProgressMessages, SetPosRedrawsAtOnceOnlyWhenTheFilledLengthChanges)
{
    ResizeClient(200, 20);
    progress.SetRange(0, 1000);  // five positions per pixel; -0.8 px truncates to 0
    const struct {
        int pos;
        int forcedPaints;
    } script[] = {{0, 1}, {4, 0}, {5, 1}, {9, 0}, {5, 0}, {4, 1}, {1000, 1}, {1200, 1}, {-3, 1}, {-4, 0}, {-5, 1}};
    for (const auto& step : script) {
        const int before = progress.paints;
        progress.SetPos(step.pos);
        EXPECT_EQ(progress.paints - before, step.forcedPaints) << "position " << step.pos;
    }
}

TEST_F(TextProgressMessages, AResizeMakesTheNextSetPosRedraw)
{
    progress.SetPos(50);
    const int before = progress.paints;
    progress.SetPos(50);
    EXPECT_EQ(progress.paints, before);

    const QWidget* client = Client();
    progress.SendMessage(WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(client->width()), static_cast<WORD>(client->height())));
    progress.SetPos(50);
    EXPECT_EQ(progress.paints, before + 1);
}

TEST_F(TextProgressMessages, SetPosOnAnEmptyRangeStoresThePositionWithoutRedrawing)
{
    progress.SetRange(30, 30);
    const int before = progress.paints;
    EXPECT_EQ(progress.SetPos(12), 0);
    EXPECT_EQ(progress.SetPos(-7), 12);
    EXPECT_EQ(progress.GetPos(), -7);
    EXPECT_EQ(progress.paints, before);
}

TEST_F(TextProgressMessages, AnEmptyClientIsNeitherPaintedNorWarnedAbout)
{
    static int warnings = 0;
    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { ++warnings; });
    ResizeClient(0, 10);
    progress.SetRange(0, 100);
    const int before = progress.paints;
    progress.SetPos(50);
    host.Sleep(4);
    qInstallMessageHandler(previous);
    EXPECT_EQ(progress.paints, before);
    EXPECT_EQ(warnings, 0) << "nothing to paint on is no fault";
}

class SteppingThroughTheFlash : public ProgressFixture, public ::testing::WithParamInterface<int> {};

TEST_P(SteppingThroughTheFlash, RedrawsOncePerPixelOfFill)
{
    AttachTo(GetParam());
    const QWidget* client = Client();
    const int length = GetParam() == kVerticalBarId ? client->height() : client->width();
    ASSERT_NE(client->width(), client->height());
    progress.SetRange(0, 8192);
    progress.SetPos(0);
    progress.paints = 0;

    for (int address = 0; address < 8192; ++address)
        progress.StepIt();

    EXPECT_EQ(progress.GetPos(), 8192);
    EXPECT_EQ(progress.paints, length) << "one forced redraw for each new pixel of fill";
}

INSTANTIATE_TEST_SUITE_P(TextProgressMessages, SteppingThroughTheFlash, ::testing::Values(kBarId, kVerticalBarId),
                         [](const auto& info) { return std::string(info.param == kBarId ? "Horizontal" : "Vertical"); });

} // namespace
} // namespace uitest
