// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/HardwarePort.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif
// glibc before 2.37 names the target thread of a timer signal only by its
// internal field.
#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

#include "framework/AppName.h"
#include "framework/Host.h"
#include "port/ParallelPort.h"

namespace hw {
namespace {

constexpr std::uint16_t kStandardBases[] = {CParallelPort::kLpt1Address, CParallelPort::kLpt2Address,
                                            CParallelPort::kLpt3ClassicAddress};
constexpr int kDataRegister = 0;
constexpr int kStatusRegister = 1;
constexpr unsigned kRegisterCount = 3;
// How long a claim waits for another program to release the port.
constexpr long kClaimWaitMilliseconds = 1000;

std::string Hex(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

} // namespace

std::vector<ParportInfo> LinuxPortSystem::Parports() { return ReadParportList(); }

int LinuxPortSystem::Open(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
}

// PPCLAIM sleeps for as long as another program keeps the port claimed, and
// every other ppdev call on the machine waits behind it. A timer signal to
// this thread ends the wait; the ioctl then fails with EINTR. A program that
// holds the port exclusively (PPEXCL) makes it fail at once with ENXIO.
int LinuxPortSystem::Claim(int fd)
{
    struct sigaction wake {};
    wake.sa_handler = [](int) {};
    struct sigaction previousAction {};
    ::sigaction(SIGALRM, &wake, &previousAction);
    sigset_t alarm;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    sigset_t previousMask;
    ::pthread_sigmask(SIG_UNBLOCK, &alarm, &previousMask);

    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = SIGALRM;
    event.sigev_notify_thread_id = ::gettid();
    timer_t timer{};
    const bool timed = ::timer_create(CLOCK_MONOTONIC, &event, &timer) == 0;
    if (timed) {
        itimerspec limit{};
        limit.it_value.tv_sec = kClaimWaitMilliseconds / 1000;
        limit.it_value.tv_nsec = kClaimWaitMilliseconds % 1000 * 1000000;
        ::timer_settime(timer, 0, &limit, nullptr);
    }
    const int result = ::ioctl(fd, PPCLAIM) < 0 ? -errno : 0;
    if (timed)
        ::timer_delete(timer);
    // A signal sent after the ioctl returned has been handled by now: it was
    // not blocked when timer_delete returned.
    ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    ::sigaction(SIGALRM, &previousAction, nullptr);
    return result == -EINTR || result == -ENXIO ? -EBUSY : result;
}

int LinuxPortSystem::Ioctl(int fd, unsigned long request, void* argument)
{
    return ::ioctl(fd, request, argument) < 0 ? -errno : 0;
}

void LinuxPortSystem::Close(int fd) { ::close(fd); }

#if defined(__x86_64__) || defined(__i386__)
int LinuxPortSystem::Ioperm(std::uint16_t from, unsigned count, bool on)
{
    return ::ioperm(from, count, on ? 1 : 0) == 0 ? 0 : -errno;
}
std::uint8_t LinuxPortSystem::Inb(std::uint16_t address) { return ::inb(address); }
void LinuxPortSystem::Outb(std::uint16_t address, std::uint8_t value) { ::outb(value, address); }
#else
int LinuxPortSystem::Ioperm(std::uint16_t, unsigned, bool) { return -ENOSYS; }
std::uint8_t LinuxPortSystem::Inb(std::uint16_t) { return 0xFF; }
void LinuxPortSystem::Outb(std::uint16_t, std::uint8_t) {}
#endif

HardwarePortBackend::HardwarePortBackend()
    : ownSystem_(std::make_unique<LinuxPortSystem>())
    , system_(*ownSystem_)
{
}

HardwarePortBackend::HardwarePortBackend(IPortSystem& system)
    : system_(system)
{
}

HardwarePortBackend::~HardwarePortBackend()
{
    for (const Port& port : ports_) {
        if (port.access == Access::Ppdev) {
            system_.Ioctl(port.fd, PPRELEASE, nullptr);
            system_.Close(port.fd);
        } else if (port.access == Access::Direct) {
            system_.Ioperm(port.base, kRegisterCount, false);
        }
    }
}

// ppdev carries raw register bytes, no line inverted: PPRSTATUS is the status
// register as read, PPRCONTROL/PPWCONTROL are control bits 0-3 as in the
// register. The kernel keeps a copy of those, so bits 4-7 read 0; written, it
// ignores them, except that bit 5 set turns the data lines to input.
std::uint8_t HardwarePortBackend::In(std::uint16_t address)
{
    Port& port = Reached(address);
    const int offset = address - port.base;
    switch (port.access) {
    case Access::Ppdev: {
        const unsigned long request =
            offset == kDataRegister ? PPRDATA : offset == kStatusRegister ? PPRSTATUS : PPRCONTROL;
        unsigned char value = 0xFF;
        return system_.Ioctl(port.fd, request, &value) == 0 ? value : 0xFF;
    }
    case Access::Direct:
        return system_.Inb(address);
    default:
        return 0xFF;
    }
}

void HardwarePortBackend::Out(std::uint16_t address, std::uint8_t value)
{
    Port& port = Reached(address);
    const int offset = address - port.base;
    if (port.access == Access::Ppdev && offset != kStatusRegister) {
        unsigned char byte = value;
        system_.Ioctl(port.fd, offset == kDataRegister ? PPWDATA : PPWCONTROL, &byte);
    } else if (port.access == Access::Direct) {
        system_.Outb(address, value);
    }
}

void HardwarePortBackend::BeginOperation()
{
    listed_ = false;
    std::erase_if(ports_, [](const Port& port) { return port.access == Access::None || port.access == Access::Untried; });
}

bool HardwarePortBackend::Unreachable(std::uint16_t address)
{
    return std::any_of(ports_.begin(), ports_.end(), [address](const Port& port) {
        return port.access == Access::None && port.base <= address && address < port.base + kRegisterCount;
    });
}

HardwarePortBackend::Port& HardwarePortBackend::Reached(std::uint16_t address)
{
    if (!listed_) {
        listed_ = true;
        kernelPorts_ = system_.Parports();
        const auto addCandidate = [this](std::uint16_t base) {
            if (std::none_of(ports_.begin(), ports_.end(), [base](const Port& p) { return p.base == base; }))
                ports_.push_back(Port{base});
        };
        for (const ParportInfo& kernelPort : kernelPorts_)
            addCandidate(kernelPort.base);
        for (const std::uint16_t base : kStandardBases)
            addCandidate(base);
    }
    for (Port& port : ports_) {
        if (port.base <= address && address < port.base + kRegisterCount) {
            if (port.access == Access::Untried)
                Reach(port);
            return port;
        }
    }
    Port& unknown = ports_.emplace_back(Port{address});
    ReportUnreachable(unknown,
                      {"The kernel reports no parallel port at " + Hex(address)
                       + ", and it is not one of the standard addresses " + Hex(kStandardBases[0]) + ", "
                       + Hex(kStandardBases[1]) + " and " + Hex(kStandardBases[2]) + "."},
                      {"choose one of the parallel ports in the port settings"});
    return unknown;
}

void HardwarePortBackend::Reach(Port& port)
{
    std::vector<std::string> reasons;
    std::vector<std::string> remedies;
    const auto kernelPort = std::find_if(kernelPorts_.begin(), kernelPorts_.end(),
                                         [&port](const ParportInfo& p) { return p.base == port.base; });
    if (kernelPort == kernelPorts_.end()) {
        reasons.push_back("The kernel reports no parallel port at " + Hex(port.base) + ".");
        remedies.push_back("if a port is fitted there, load its drivers (sudo modprobe parport_pc ppdev)");
    } else {
        const std::string device = "/dev/parport" + std::to_string(kernelPort->number);
        const int fd = system_.Open(device);
        if (fd >= 0) {
            const int claimed = system_.Claim(fd);
            if (claimed == 0) {
                int forward = 0;
                system_.Ioctl(fd, PPDATADIR, &forward);
                port.fd = fd;
                port.access = Access::Ppdev;
                return;
            }
            system_.Close(fd);
            // The kernel manages this port: driving it by direct I/O would
            // go behind the back of whoever it belongs to now.
            if (claimed == -EBUSY) {
                ReportUnreachable(port, {device + " is in use by another program."},
                                  {"close the other program that uses " + device + ", then try again"});
            } else {
                ReportUnreachable(port, {device + " could not be claimed: " + std::strerror(-claimed) + "."}, {});
            }
            return;
        } else if (fd == -EACCES || fd == -EPERM) {
            reasons.push_back("Opening " + device + " was refused: permission denied.");
            remedies.push_back("add your user to the group that owns " + device
                               + " (usually \"lp\": sudo usermod -aG lp $USER) and log in again");
        } else if (fd == -ENOENT || fd == -ENODEV || fd == -ENXIO) {
            reasons.push_back(device + " is missing: the ppdev module is probably not loaded.");
            remedies.push_back("load the ppdev module (sudo modprobe ppdev)");
        } else {
            reasons.push_back("Opening " + device + " failed: " + std::strerror(-fd) + ".");
        }
    }

    const int direct = system_.Ioperm(port.base, kRegisterCount, true);
    if (direct == 0) {
        port.access = Access::Direct;
        return;
    }
    if (direct == -ENOSYS) {
        reasons.push_back("Direct port I/O is not available on this machine.");
    } else {
        reasons.push_back(direct == -EPERM ? std::string("Direct port I/O is not permitted for this program.")
                                           : std::string("Direct port I/O failed: ") + std::strerror(-direct) + ".");
        remedies.push_back("run " + fw::ApplicationName() + " as root or with the CAP_SYS_RAWIO capability");
    }
    ReportUnreachable(port, reasons, remedies);
}

void HardwarePortBackend::ReportUnreachable(Port& port, const std::vector<std::string>& reasons,
                                            const std::vector<std::string>& remedies)
{
    // Settled before the box is shown, so that an access made while it is
    // open does not ask again.
    port.access = Access::None;
    std::string text = "Cannot reach the parallel port at " + Hex(port.base) + ", so the programmer cannot be used.\n\n";
    for (const std::string& reason : reasons)
        text += reason + "\n";
    if (!remedies.empty()) {
        text += remedies.size() == 1 ? "\nTo fix this:\n" : "\nTo fix this, do one of these:\n";
        for (const std::string& remedy : remedies)
            text += "- " + remedy + "\n";
    }
    text.pop_back();
    fw::CurrentHost().MessageBox(nullptr, text, fw::ApplicationName(), MB_OK | MB_ICONEXCLAMATION);
}

} // namespace hw
