// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The port back end on the real printer port. Each port (base, base+1,
// base+2) is reached at its first access: through ppdev where the kernel
// reports a port at that base, else by direct x86 port I/O, else not at all,
// which the user is told; reads then give 0xFF and writes are dropped. A port
// that another program has claimed through the kernel is in use: it is never
// driven by direct I/O. A port that could not be reached is tried again, with
// the kernel's list read again, in the next operation.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "framework/PortIo.h"
#include "port/ParportList.h"

namespace hw {

// The kernel services the hardware back end needs, replaceable in tests.
class IPortSystem {
public:
    virtual ~IPortSystem() = default;
    virtual std::vector<ParportInfo> Parports() = 0;
    // A file descriptor, or -errno.
    virtual int Open(const std::string& device) = 0;
    // Claims the port of an open ppdev device: 0, -EBUSY while another
    // program keeps the port claimed, or -errno.
    virtual int Claim(int fd) = 0;
    // 0, or -errno.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual void Close(int fd) = 0;
    // 0, or -errno (-ENOSYS where the machine has no I/O ports).
    virtual int Ioperm(std::uint16_t from, unsigned count, bool on) = 0;
    virtual std::uint8_t Inb(std::uint16_t address) = 0;
    virtual void Outb(std::uint16_t address, std::uint8_t value) = 0;
};

class LinuxPortSystem final : public IPortSystem {
public:
    std::vector<ParportInfo> Parports() override;
    int Open(const std::string& device) override;
    int Claim(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    void Close(int fd) override;
    int Ioperm(std::uint16_t from, unsigned count, bool on) override;
    std::uint8_t Inb(std::uint16_t address) override;
    void Outb(std::uint16_t address, std::uint8_t value) override;
};

class HardwarePortBackend final : public fw::IPortBackend {
public:
    // On the running kernel.
    HardwarePortBackend();
    explicit HardwarePortBackend(IPortSystem& system);
    // Releases and closes the claimed ppdev ports.
    ~HardwarePortBackend() override;
    HardwarePortBackend(const HardwarePortBackend&) = delete;
    HardwarePortBackend& operator=(const HardwarePortBackend&) = delete;

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;
    // Forgets the ports that could not be reached and the kernel's list, so
    // that the user's fix (a driver loaded, a permission granted, the other
    // program closed) works without a restart.
    void BeginOperation() override;
    bool Unreachable(std::uint16_t address) override;

private:
    enum class Access { Untried, Ppdev, Direct, None };
    struct Port {
        std::uint16_t base;
        Access access = Access::Untried;
        int fd = -1;
    };

    Port& Reached(std::uint16_t address);
    void Reach(Port& port);
    void ReportUnreachable(Port& port, const std::vector<std::string>& reasons,
                           const std::vector<std::string>& remedies);

    std::unique_ptr<IPortSystem> ownSystem_;
    IPortSystem& system_;
    bool listed_ = false;
    std::vector<ParportInfo> kernelPorts_;
    // A deque keeps references stable while a message box lets a nested
    // access add a port.
    std::deque<Port> ports_;
};

} // namespace hw
