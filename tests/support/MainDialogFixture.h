// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main dialog on the test host, wired to the simulated rig through a
// recording port, created modelessly on real widgets. The adapter answers at
// LPT1's base address.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Brovik.h"
#include "app/BrovikDlg.h"
#include "framework/Setup.h"
#include "sim/SimulatedRig.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestHost.h"

namespace test {

struct BarState {
    int low, high, pos;
    bool operator==(const BarState&) const = default;
};

// What the dialog and the adapter lines showed at one moment.
struct Moment {
    std::string status;
    BarState bar;
    bool released;  // SCK, MOSI and reset-control all high
    std::size_t commandsSent;
};

// One ISP command as the chip's pins carried it, with what the dialog showed
// right after it: when the next command began or the target was released.
struct IspCommand {
    std::array<std::uint8_t, 3> bytes;
    std::string statusAfter;
    BarState barAfter;
};

// The bits of the command being shifted in, MSB first.
struct PartialCommand {
    int bits;
    std::uint32_t value;
};

class MainDialogTest : public ::testing::Test {
private:
    fw::NoPortBackend m_nothing;  // what the recording port reaches until a chip is fitted

protected:
    MainDialogTest();
    ~MainDialogTest() override;

    // Replaces the rig with a new one: a new chip on a new simulated port.
    void UseChip(const sim::ChipContents& contents = {}, const sim::ChipFaults& faults = {});
    // The stored "LPT PORT" (written before Start); 0 removes nothing, it is
    // simply never written.
    void StorePort(int port);
    void StoreDelays(int bit, int byte);
    // Creates the dialog modelessly: OnInitDialog runs.
    void Start();
    // A real mouse click on the control.
    void Click(int id);
    std::string Status();
    BarState Bar();
    // Loads an image as the HEX loader would leave it.
    void LoadImage(const std::vector<std::uint8_t>& bytes);
    bool TargetReleased() const;

    TestHost host;
    std::unique_ptr<sim::SimulatedRig> rig;
    sim::TargetChip* chip = nullptr;
    sim::SimulatedPort* simPort = nullptr;
    RecordingPort port;
    std::unique_ptr<CBrovikDlg> dlg;
    // The status text at each box, in order.
    std::vector<std::string> statusAtBox;
    // The same moments in full, and the moment just before each sleep.
    std::vector<Moment> atBox;
    std::vector<Moment> atSleep;

    // Decoded from the pins of every chip UseChip fits (a test that sets its
    // own pin observer ends this): rising SCK edges in programming mode, 24
    // to a command, restarted whenever reset-control changes.
    std::vector<IspCommand> commands;
    PartialCommand receiving{};
    // commands.size() at each release: reset-control rising with SCK and
    // MOSI high.
    std::vector<std::size_t> releases;

private:
    class SleepWatch;
    void WatchPins();
    void OnPins(const sim::PinLevels& before, const sim::PinLevels& now);
    void NoteAfterLastCommand();
    Moment Now();

    std::unique_ptr<SleepWatch> m_sleepWatch;
    const fw::Setup m_setup;
    bool m_lastCommandNoted = true;
};

} // namespace test
