// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ppdev/PortBench.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>

namespace ppdev {
namespace {

constexpr const char* kName = "libbrovik-ppdev-chip";
// Marks are looked for when the port has been left alone this long: between
// two runs, never inside the clocking of an ISP command.
constexpr std::int64_t kQuietMicroseconds = 1000;

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::optional<PortFault> FaultNamed(const std::string& name)
{
    if (name.empty())
        return PortFault::None;
    if (name == "miso-stuck-high")
        return PortFault::MisoStuckHigh;
    if (name == "miso-stuck-low")
        return PortFault::MisoStuckLow;
    if (name == "miso-one-clock-late")
        return PortFault::MisoOneClockLate;
    return std::nullopt;
}

} // namespace

PortBench& PortBench::Get()
{
    static PortBench* const bench = new PortBench();
    return *bench;
}

PortBench::PortBench()
{
    for (auto& fd : fds_)
        fd = -1;
    std::istringstream ports(Environment("BROVIK_PPDEV_PORTS"));
    for (std::string item; ports >> item;) {
        const std::size_t equals = item.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == item.size() || item[0] != '/') {
            configError_ = "BROVIK_PPDEV_PORTS: \"" + item + "\" is not DEVICE=CHIPFILE with an absolute DEVICE path";
            break;
        }
        if (devices_.size() == kMaxPorts) {
            configError_ = "BROVIK_PPDEV_PORTS: more than " + std::to_string(kMaxPorts) + " devices";
            break;
        }
        devices_.push_back(Device{item.substr(0, equals), sim::ChipFile(item.substr(equals + 1)), nullptr, {}});
    }
    const std::string faultName = Environment("BROVIK_PPDEV_FAULT");
    if (const std::optional<PortFault> fault = FaultNamed(faultName))
        fault_ = *fault;
    else
        configError_ = "BROVIK_PPDEV_FAULT=" + faultName +
                       " is none of miso-stuck-high, miso-stuck-low, miso-one-clock-late";
    if (const std::string journal = Environment("BROVIK_PPDEV_JOURNAL"); !journal.empty()) {
        journal_.emplace(journal);
        if (journal_->Failed())
            configError_ = "cannot write the journal " + journal + ": " + std::strerror(errno);
        if (const std::string marks = Environment("BROVIK_PPDEV_MARKS"); !marks.empty())
            marks_.emplace(marks);
    }
}

bool PortBench::IsDevice(const char* path) const
{
    if (!path || path[0] != '/')
        return false;
    for (const Device& device : devices_)
        if (device.path == path)
            return true;
    return false;
}

bool PortBench::IsOpen(int fd) const
{
    if (fd < 0)
        return false;
    for (const auto& open : fds_)
        if (open.load(std::memory_order_relaxed) == fd)
            return true;
    return false;
}

PortBench::Device* PortBench::DeviceOf(int fd)
{
    for (std::size_t i = 0; i < devices_.size(); ++i)
        if (fds_[i].load(std::memory_order_relaxed) == fd)
            return &devices_[i];
    return nullptr;
}

int PortBench::Open(const char* path, int (*realOpen)(const char*, int, ...))
{
    const std::lock_guard lock(mutex_);
    if (!configError_.empty()) {
        std::fprintf(stderr, "%s: %s\n", kName, configError_.c_str());
        errno = EINVAL;
        return -1;
    }
    std::size_t index = 0;
    while (devices_[index].path != path)
        ++index;
    Device& device = devices_[index];
    if (device.port) {
        errno = EBUSY;
        return -1;
    }
    const sim::ChipFileLoad loaded = device.chipFile.Load();
    if (!loaded.contents) {
        std::fprintf(stderr, "%s: %s\n", kName, loaded.error.c_str());
        errno = EIO;
        return -1;
    }
    const int fd = realOpen("/dev/null", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return -1;
    WireJournal* journal = journal_ ? &*journal_ : nullptr;
    device.port = std::make_unique<PpdevChipPort>(clock_, *loaded.contents, fault_, static_cast<int>(index), journal);
    device.saved = *loaded.contents;
    if (journal)
        journal->Chip(static_cast<int>(index), device.saved);
    fds_[index] = fd;
    return fd;
}

void PortBench::Closing(int fd)
{
    const std::lock_guard lock(mutex_);
    Device* device = DeviceOf(fd);
    if (!device)
        return;
    TakeMarks();
    SaveChip(*device);
    device->port.reset();
    fds_[static_cast<std::size_t>(device - devices_.data())] = -1;
    if (journal_)
        journal_->Flush();
}

int PortBench::Ioctl(int fd, unsigned long request, void* argument)
{
    const std::lock_guard lock(mutex_);
    Device* device = DeviceOf(fd);
    if (!device) {
        errno = EBADF;
        return -1;
    }
    const std::int64_t now = clock_.NowMicroseconds();
    if (now - lastAccess_ >= kQuietMicroseconds)
        TakeMarks();
    lastAccess_ = now;
    int error = 0;
    const int result = device->port->Ioctl(request, argument, &error);
    if (result < 0)
        errno = error;
    return result;
}

void PortBench::TakeMarks()
{
    if (!marks_)
        return;
    const std::vector<std::string> lines = marks_->NewLines();
    if (lines.empty())
        return;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        Device& device = devices_[i];
        if (!device.port || device.port->Contents() == device.saved)
            continue;
        journal_->Chip(static_cast<int>(i), device.port->Contents());
        SaveChip(device);
    }
    for (const std::string& line : lines)
        journal_->Mark(line);
    journal_->Flush();
}

void PortBench::SaveChip(Device& device)
{
    if (!device.port || device.port->Contents() == device.saved)
        return;
    std::string error;
    if (device.chipFile.Save(device.port->Contents(), &error))
        device.saved = device.port->Contents();
    else
        std::fprintf(stderr, "%s: the chip of %s was not saved: %s\n", kName, device.path.c_str(), error.c_str());
}

void PortBench::Finish()
{
    const std::lock_guard lock(mutex_);
    TakeMarks();
    for (Device& device : devices_)
        SaveChip(device);
    if (journal_)
        journal_->Flush();
}

} // namespace ppdev
