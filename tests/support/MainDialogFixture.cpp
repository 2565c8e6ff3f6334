// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/MainDialogFixture.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <utility>

#include "framework/QtBridge.h"
#include "port/ParallelPort.h"

namespace test {

// Passes everything on to the test host and notes the moment of each sleep.
class MainDialogTest::SleepWatch final : public fw::IHost {
public:
    SleepWatch(TestHost& host, std::function<void()> onSleep) : m_host(host), m_onSleep(std::move(onSleep)) {}

    INT_PTR RunModal(CDialog& dialog) override { return m_host.RunModal(dialog); }
    int MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type) override
    {
        return m_host.MessageBox(owner, text, caption, type);
    }
    bool GetOpenFileName(CWnd* owner, const std::string& filter, std::string& path) override
    {
        return m_host.GetOpenFileName(owner, filter, path);
    }
    void Sleep(std::uint32_t ms) override
    {
        m_onSleep();
        m_host.Sleep(ms);
    }
    std::int64_t NowMicroseconds() override { return m_host.NowMicroseconds(); }
    fw::ISettingsStore& Settings() override { return m_host.Settings(); }
    fw::IPortBackend& Port() override { return m_host.Port(); }

private:
    TestHost& m_host;
    std::function<void()> m_onSleep;
};

MainDialogTest::MainDialogTest()
    : port(m_nothing),
      m_sleepWatch(std::make_unique<SleepWatch>(host, [this] { atSleep.push_back(Now()); })),
      m_setup(SetUpBrovik(*m_sleepWatch))
{
    UseChip();
    host.SetPort(port);
    host.onBox = [this](const ShownBox&) {
        statusAtBox.push_back(dlg && dlg->m_hWnd ? Status() : std::string());
        atBox.push_back(Now());
    };
    StorePort(1);
    dlg = std::make_unique<CBrovikDlg>();
}

MainDialogTest::~MainDialogTest()
{
    dlg.reset();
    theApp.m_pMainWnd = nullptr;
}

void MainDialogTest::UseChip(const sim::ChipContents& contents, const sim::ChipFaults& faults)
{
    static constexpr std::uint16_t kBases[] = {CParallelPort::kLpt1Address};
    rig.reset();
    rig = std::make_unique<sim::SimulatedRig>(host, kBases, contents, faults);
    chip = &rig->chip;
    simPort = &rig->port;
    port.Retarget(*simPort);
    WatchPins();
}

void MainDialogTest::WatchPins()
{
    const sim::PinLevels initial{simPort->PinLevel(sim::Adapter::kSckPin), simPort->PinLevel(sim::Adapter::kMosiPin),
                                 simPort->PinLevel(sim::Adapter::kResetControlPin),
                                 simPort->PinLevel(sim::Adapter::kMisoPin)};
    receiving = {};
    chip->SetPinObserver([this, before = initial](const sim::PinLevels& now) mutable {
        OnPins(before, now);
        before = now;
    });
}

void MainDialogTest::OnPins(const sim::PinLevels& before, const sim::PinLevels& now)
{
    if (before.resetControl != now.resetControl) {
        if (now.resetControl && now.sck && now.mosi) {
            NoteAfterLastCommand();
            releases.push_back(commands.size());
        }
        receiving = {};
    }
    if (now.resetControl || before.sck || !now.sck)
        return;
    if (receiving.bits == 0)
        NoteAfterLastCommand();
    receiving.value = (receiving.value << 1) | (now.mosi ? 1u : 0u);
    if (++receiving.bits < 24)
        return;
    commands.push_back({{static_cast<std::uint8_t>(receiving.value >> 16), static_cast<std::uint8_t>(receiving.value >> 8),
                         static_cast<std::uint8_t>(receiving.value)},
                        {},
                        {}});
    m_lastCommandNoted = false;
    receiving = {};
}

void MainDialogTest::NoteAfterLastCommand()
{
    if (m_lastCommandNoted || !dlg || !dlg->m_hWnd)
        return;
    commands.back().statusAfter = Status();
    commands.back().barAfter = Bar();
    m_lastCommandNoted = true;
}

Moment MainDialogTest::Now()
{
    const bool hasWindow = dlg && dlg->m_hWnd;
    return {hasWindow ? Status() : std::string(), hasWindow ? Bar() : BarState{}, TargetReleased(), commands.size()};
}

bool MainDialogTest::TargetReleased() const
{
    return simPort->PinLevel(sim::Adapter::kSckPin) && simPort->PinLevel(sim::Adapter::kMosiPin) &&
           simPort->PinLevel(sim::Adapter::kResetControlPin);
}

void MainDialogTest::StorePort(int portNumber) { host.WriteProfileInt("BROVIK", "LPT PORT", portNumber); }

void MainDialogTest::StoreDelays(int bit, int byte)
{
    host.WriteProfileInt("BROVIK", "DELAY BIT", bit);
    host.WriteProfileInt("BROVIK", "DELAY BYTE", byte);
}

void MainDialogTest::Start()
{
    theApp.m_pMainWnd = dlg.get();
    ASSERT_TRUE(dlg->Create());
    // Keyboard focus needs the window to be the active one.
    QWidget* window = fw::WidgetOf(dlg->m_hWnd);
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

void MainDialogTest::Click(int id)
{
    QWidget* widget = fw::WidgetOf(dlg->GetDlgItemHandle(id));
    ASSERT_NE(widget, nullptr) << "no control " << id;
    QTest::mouseClick(widget, Qt::LeftButton);
}

std::string MainDialogTest::Status() { return dlg->m_progress.GetWindowText(); }

BarState MainDialogTest::Bar()
{
    PBRANGE range{};
    dlg->m_progress.SendMessage(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return {range.iLow, range.iHigh, dlg->m_progress.GetPos()};
}

void MainDialogTest::LoadImage(const std::vector<std::uint8_t>& bytes)
{
    std::fill(std::begin(dlg->m_image), std::end(dlg->m_image), 0);
    std::copy(bytes.begin(), bytes.end(), dlg->m_image);
    dlg->m_lastAddress = static_cast<std::uint32_t>(bytes.size() - 1);
}

} // namespace test
