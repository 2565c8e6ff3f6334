// SPDX-License-Identifier: GPL-2.0-or-later
// The hardware back end against a fake kernel: which way each port is
// reached, what reaches the kernel, and what the user is told.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <linux/ppdev.h>
#include <map>
#include <string>
#include <sys/ioctl.h>
#include <vector>

#include <gtest/gtest.h>

#include "framework/AppName.h"
#include "framework/Host.h"
#include "framework/MemorySettings.h"
#include "framework/Setup.h"
#include "port/HardwarePort.h"

namespace {

using Calls = std::vector<std::string>;

std::string Hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string RequestName(unsigned long request)
{
    static const std::map<unsigned long, std::string> names = {
        {PPRELEASE, "PPRELEASE"},   {PPDATADIR, "PPDATADIR"},
        {PPRDATA, "PPRDATA"},       {PPWDATA, "PPWDATA"},     {PPRSTATUS, "PPRSTATUS"},
        {PPRCONTROL, "PPRCONTROL"}, {PPWCONTROL, "PPWCONTROL"}};
    const auto found = names.find(request);
    return found == names.end() ? Hex(static_cast<unsigned>(request), 8) : found->second;
}

// Answers as configured and logs every call in a readable form.
class FakePortSystem final : public hw::IPortSystem {
public:
    std::vector<hw::ParportInfo> parports;
    std::map<std::string, int> openResults; // missing devices give -ENOENT
    int claimResult = 0;
    int iopermResult = 0;
    std::map<unsigned long, unsigned char> registerReads;
    std::uint8_t inbValue = 0;
    Calls calls;

    std::vector<hw::ParportInfo> Parports() override
    {
        calls.push_back("list");
        return parports;
    }
    int Open(const std::string& device) override
    {
        calls.push_back("open " + device);
        const auto found = openResults.find(device);
        return found == openResults.end() ? -ENOENT : found->second;
    }
    int Claim(int fd) override
    {
        calls.push_back("claim " + std::to_string(fd));
        return claimResult;
    }
    int Ioctl(int fd, unsigned long request, void* argument) override
    {
        std::string call = "ioctl " + std::to_string(fd) + " " + RequestName(request);
        if (request == PPWDATA || request == PPWCONTROL)
            call += " " + Hex(*static_cast<unsigned char*>(argument), 2);
        else if (request == PPDATADIR)
            call += " " + std::to_string(*static_cast<int*>(argument));
        else if (request == PPRDATA || request == PPRSTATUS || request == PPRCONTROL)
            *static_cast<unsigned char*>(argument) = registerReads[request];
        calls.push_back(call);
        return 0;
    }
    void Close(int fd) override { calls.push_back("close " + std::to_string(fd)); }
    int Ioperm(std::uint16_t from, unsigned count, bool on) override
    {
        calls.push_back("ioperm " + Hex(from, 3) + " " + std::to_string(count) + (on ? " on" : " off"));
        return on ? iopermResult : 0;
    }
    std::uint8_t Inb(std::uint16_t address) override
    {
        calls.push_back("inb " + Hex(address, 3));
        return inbValue;
    }
    void Outb(std::uint16_t address, std::uint8_t value) override
    {
        calls.push_back("outb " + Hex(address, 3) + " " + Hex(value, 2));
    }
};

struct Box {
    std::string text;
    std::string caption;
    UINT type;
};

class RecordingHost final : public fw::IHost {
public:
    std::vector<Box> boxes;
    std::function<void()> whileBoxIsOpen;

    INT_PTR RunModal(CDialog&) override { return IDCANCEL; }
    int MessageBox(CWnd*, const std::string& text, const std::string& caption, UINT type) override
    {
        boxes.push_back({text, caption, type});
        if (whileBoxIsOpen)
            whileBoxIsOpen();
        return IDOK;
    }
    bool GetOpenFileName(CWnd*, const std::string&, std::string&) override { return false; }
    void Sleep(std::uint32_t) override {}
    fw::ISettingsStore& Settings() override { return settings_; }
    fw::IPortBackend& Port() override { return noPort_; }
    std::int64_t NowMicroseconds() override { return 0; }

private:
    fw::MemorySettings settings_;
    fw::NoPortBackend noPort_;
};

class HardwarePortTest : public ::testing::Test {
protected:
    FakePortSystem system_;
    RecordingHost host_;
    const fw::Setup setup_{host_};
};

TEST_F(HardwarePortTest, PpdevIsClaimedOnceAndCarriesRawRegisterBytes)
{
    system_.parports = {{0, 0x3BC}, {2, 0x378}};
    system_.openResults["/dev/parport2"] = 7;
    system_.registerReads = {{PPRDATA, 0x5A}, {PPRSTATUS, 0x87}, {PPRCONTROL, 0x04}};
    {
        hw::HardwarePortBackend port(system_);
        port.Out(0x378, 0xA5);
        port.Out(0x37A, 0x0B);
        port.Out(0x379, 0xFF);
        EXPECT_EQ(port.In(0x378), 0x5A);
        EXPECT_EQ(port.In(0x379), 0x87);
        EXPECT_EQ(port.In(0x37A), 0x04);
        EXPECT_EQ(system_.calls, (Calls{"list", "open /dev/parport2", "claim 7", "ioctl 7 PPDATADIR 0",
                                        "ioctl 7 PPWDATA 0xA5", "ioctl 7 PPWCONTROL 0x0B", "ioctl 7 PPRDATA",
                                        "ioctl 7 PPRSTATUS", "ioctl 7 PPRCONTROL"}));
        system_.calls.clear();
    }
    EXPECT_EQ(system_.calls, (Calls{"ioctl 7 PPRELEASE", "close 7"}));
    EXPECT_TRUE(host_.boxes.empty());
}

struct DirectCase {
    const char* name;
    bool listed;
    int openResult;
    Calls attempts;
};

void PrintTo(const DirectCase& c, std::ostream* out) { *out << c.name; }

class DirectIoTest : public HardwarePortTest, public ::testing::WithParamInterface<DirectCase> {};

TEST_P(DirectIoTest, FallsBackToDirectPortIo)
{
    const DirectCase& c = GetParam();
    if (c.listed)
        system_.parports = {{0, 0x378}};
    system_.openResults["/dev/parport0"] = c.openResult;
    system_.inbValue = 0x78;
    {
        hw::HardwarePortBackend port(system_);
        port.Out(0x37A, 0x0B);
        EXPECT_EQ(port.In(0x379), 0x78);
        port.Out(0x378, 0x01);
    }
    Calls expected = c.attempts;
    expected.insert(expected.end(), {"ioperm 0x378 3 on", "outb 0x37A 0x0B", "inb 0x379", "outb 0x378 0x01",
                                     "ioperm 0x378 3 off"});
    EXPECT_EQ(system_.calls, expected);
    EXPECT_TRUE(host_.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fallbacks, DirectIoTest,
    ::testing::Values(DirectCase{"PpdevRefused", true, -EACCES, {"list", "open /dev/parport0"}},
                      DirectCase{"PpdevNotLoaded", true, -ENOENT, {"list", "open /dev/parport0"}},
                      DirectCase{"NotReportedByTheKernel", false, 5, {"list"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnreachableCase {
    const char* name;
    bool listed;
    int openResult;
    int iopermResult;
    std::uint16_t base;
    Calls attempts;
    std::vector<std::string> said;
    std::vector<std::string> notSaid;
};

void PrintTo(const UnreachableCase& c, std::ostream* out) { *out << c.name; }

class UnreachablePortTest : public HardwarePortTest, public ::testing::WithParamInterface<UnreachableCase> {};

TEST_P(UnreachablePortTest, TellsTheUserOnceAndReachesNothing)
{
    const UnreachableCase& c = GetParam();
    if (c.listed)
        system_.parports = {{0, c.base}};
    system_.openResults["/dev/parport0"] = c.openResult;
    system_.iopermResult = c.iopermResult;
    {
        hw::HardwarePortBackend port(system_);
        for (int round = 0; round < 2; ++round) {
            for (std::uint16_t address = c.base; address <= c.base + 2; ++address) {
                port.Out(address, 0x00);
                EXPECT_EQ(port.In(address), 0xFF) << Hex(address, 3);
            }
        }
        // What an operation asks before it goes on: each register of the
        // port, and nothing beyond it.
        for (std::uint16_t address = c.base; address <= c.base + 2; ++address)
            EXPECT_TRUE(port.Unreachable(address)) << Hex(address, 3);
        EXPECT_FALSE(port.Unreachable(static_cast<std::uint16_t>(c.base + 3)));
        EXPECT_FALSE(port.Unreachable(static_cast<std::uint16_t>(c.base - 1)));
    }
    EXPECT_EQ(system_.calls, c.attempts);
    ASSERT_EQ(host_.boxes.size(), 1u);
    const Box& box = host_.boxes[0];
    EXPECT_EQ(box.caption, fw::ApplicationName());
    EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
    for (const std::string& words : c.said)
        EXPECT_NE(box.text.find(words), std::string::npos) << "missing \"" << words << "\" in:\n" << box.text;
    for (const std::string& words : c.notSaid)
        EXPECT_EQ(box.text.find(words), std::string::npos) << "unexpected \"" << words << "\" in:\n" << box.text;
}

INSTANTIATE_TEST_SUITE_P(
    Causes, UnreachablePortTest,
    ::testing::Values(
        UnreachableCase{"PermissionDenied", true, -EACCES, -EPERM, 0x378,
                        {"list", "open /dev/parport0", "ioperm 0x378 3 on"},
                        {"0x378", "/dev/parport0", "permission denied", "\"lp\"", "log in again", "not permitted",
                         "CAP_SYS_RAWIO"},
                        {"modprobe"}},
        UnreachableCase{"PpdevNotLoaded", true, -ENOENT, -EPERM, 0x378,
                        {"list", "open /dev/parport0", "ioperm 0x378 3 on"},
                        {"0x378", "/dev/parport0", "sudo modprobe ppdev", "CAP_SYS_RAWIO"},
                        {"\"lp\""}},
        UnreachableCase{"NotReportedByTheKernel", false, 5, -EPERM, 0x278,
                        {"list", "ioperm 0x278 3 on"},
                        {"reports no parallel port at 0x278", "modprobe parport_pc", "CAP_SYS_RAWIO"},
                        {"/dev/parport"}},
        UnreachableCase{"NoPortIoOnThisMachine", true, -EACCES, -ENOSYS, 0x3BC,
                        {"list", "open /dev/parport0", "ioperm 0x3BC 3 on"},
                        {"0x3BC", "/dev/parport0", "not available"},
                        {"CAP_SYS_RAWIO"}},
        UnreachableCase{"NotAParallelPortAddress", false, 5, 0, 0x1000,
                        {"list"},
                        {"0x1000", "standard addresses"},
                        {"/dev/parport"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HardwarePortTest, EachUnreachablePortIsReportedOnItsOwn)
{
    system_.iopermResult = -EPERM;
    hw::HardwarePortBackend port(system_);
    for (int round = 0; round < 2; ++round) {
        port.Out(0x378, 0x00);
        port.Out(0x27A, 0x00);
        port.In(0x379);
    }
    ASSERT_EQ(host_.boxes.size(), 2u);
    EXPECT_NE(host_.boxes[0].text.find("0x378"), std::string::npos);
    EXPECT_NE(host_.boxes[1].text.find("0x278"), std::string::npos);
}

TEST_F(HardwarePortTest, AccessWhileTheBoxIsOpenDoesNotAskAgain)
{
    system_.iopermResult = -EPERM;
    hw::HardwarePortBackend port(system_);
    host_.whileBoxIsOpen = [&] {
        EXPECT_EQ(port.In(0x379), 0xFF);
        port.Out(0x378, 0x01);
    };
    EXPECT_EQ(port.In(0x378), 0xFF);
    EXPECT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(system_.calls, (Calls{"list", "ioperm 0x378 3 on"}));
}

struct ClaimRefusedCase {
    const char* name;
    int claimResult;
    std::vector<std::string> said;
};

void PrintTo(const ClaimRefusedCase& c, std::ostream* out) { *out << c.name; }

class ClaimRefusedTest : public HardwarePortTest, public ::testing::WithParamInterface<ClaimRefusedCase> {};

// Even with the privilege for direct I/O, a port the kernel would not hand
// over is left alone.
TEST_P(ClaimRefusedTest, IsReportedAndNeverDrivenDirectly)
{
    const ClaimRefusedCase& c = GetParam();
    system_.parports = {{1, 0x378}};
    system_.openResults["/dev/parport1"] = 5;
    system_.claimResult = c.claimResult;
    system_.iopermResult = 0;
    {
        hw::HardwarePortBackend port(system_);
        port.Out(0x378, 0x00);
        port.Out(0x37A, 0x01);
        EXPECT_EQ(port.In(0x379), 0xFF);
    }
    EXPECT_EQ(system_.calls, (Calls{"list", "open /dev/parport1", "claim 5", "close 5"}));
    ASSERT_EQ(host_.boxes.size(), 1u);
    for (const std::string& words : c.said)
        EXPECT_NE(host_.boxes[0].text.find(words), std::string::npos) << "missing \"" << words << "\" in:\n"
                                                                      << host_.boxes[0].text;
    EXPECT_EQ(host_.boxes[0].text.find("CAP_SYS_RAWIO"), std::string::npos) << host_.boxes[0].text;
}

INSTANTIATE_TEST_SUITE_P(
    Claims, ClaimRefusedTest,
    ::testing::Values(ClaimRefusedCase{"InUse", -EBUSY,
                                       {"0x378", "/dev/parport1 is in use by another program",
                                        "close the other program that uses /dev/parport1"}},
                      ClaimRefusedCase{"OtherFailure", -EIO, {"0x378", "/dev/parport1 could not be claimed"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Operation after operation on one back end, as the dialog program runs them.
class RetryTest : public HardwarePortTest {
protected:
    // One operation's worth of accesses: each register written and read.
    void Operation(std::uint16_t base)
    {
        port_.BeginOperation();
        for (int round = 0; round < 2; ++round) {
            port_.Out(base, 0x01);
            port_.Out(base + 2, 0x00);
            port_.In(base + 1);
        }
    }

    hw::HardwarePortBackend port_{system_};
};

TEST_F(RetryTest, AFixedCauseWorksInTheNextOperationWithoutARestart)
{
    system_.parports = {{0, 0x378}};
    system_.iopermResult = -EPERM;
    EXPECT_FALSE(port_.Unreachable(0x378)) << "not tried yet";
    Operation(0x378);
    EXPECT_EQ(system_.calls, (Calls{"list", "open /dev/parport0", "ioperm 0x378 3 on"})) << "tried once per operation";
    EXPECT_TRUE(port_.Unreachable(0x378));
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_NE(host_.boxes[0].text.find("sudo modprobe ppdev"), std::string::npos) << host_.boxes[0].text;

    system_.calls.clear();
    system_.openResults["/dev/parport0"] = 4;
    Operation(0x378);
    EXPECT_EQ(system_.calls, (Calls{"list", "open /dev/parport0", "claim 4", "ioctl 4 PPDATADIR 0",
                                    "ioctl 4 PPWDATA 0x01", "ioctl 4 PPWCONTROL 0x00", "ioctl 4 PPRSTATUS",
                                    "ioctl 4 PPWDATA 0x01", "ioctl 4 PPWCONTROL 0x00", "ioctl 4 PPRSTATUS"}));
    EXPECT_EQ(host_.boxes.size(), 1u) << "a port reached says nothing";
    EXPECT_FALSE(port_.Unreachable(0x378));

    system_.calls.clear();
    Operation(0x378);
    EXPECT_EQ(system_.calls.front(), "list") << "the list is read again";
    EXPECT_EQ(std::count(system_.calls.begin(), system_.calls.end(), "claim 4"), 0) << "claimed once, kept";
}

TEST_F(RetryTest, APortTheKernelListsLaterIsFoundByItsNewListing)
{
    system_.iopermResult = -EPERM;
    Operation(0xD010);
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_NE(host_.boxes[0].text.find("reports no parallel port at 0xD010"), std::string::npos) << host_.boxes[0].text;

    system_.calls.clear();
    system_.parports = {{0, 0x378}, {1, 0xD010}};
    system_.openResults["/dev/parport1"] = 6;
    Operation(0xD010);
    ASSERT_GE(system_.calls.size(), 3u);
    EXPECT_EQ(Calls(system_.calls.begin(), system_.calls.begin() + 3), (Calls{"list", "open /dev/parport1", "claim 6"}));
    EXPECT_EQ(host_.boxes.size(), 1u);
}

TEST_F(RetryTest, APortStillUnreachableIsReportedOncePerOperation)
{
    system_.parports = {{0, 0x378}};
    system_.openResults["/dev/parport0"] = 3;
    system_.claimResult = -EBUSY;
    for (int operation = 0; operation < 3; ++operation)
        Operation(0x378);
    ASSERT_EQ(host_.boxes.size(), 3u);
    for (const Box& box : host_.boxes)
        EXPECT_EQ(box.text, host_.boxes[0].text);
    EXPECT_EQ(std::count(system_.calls.begin(), system_.calls.end(), "claim 3"), 3);

    system_.calls.clear();
    system_.claimResult = 0;
    Operation(0x378);
    ASSERT_GE(system_.calls.size(), 3u);
    EXPECT_EQ(Calls(system_.calls.begin(), system_.calls.begin() + 3), (Calls{"list", "open /dev/parport0", "claim 3"}))
        << "the other program has let go";
    EXPECT_EQ(host_.boxes.size(), 3u);
}

} // namespace
