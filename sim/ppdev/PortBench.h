// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fake ppdev devices of one process, as the environment configures them:
//   BROVIK_PPDEV_PORTS    "DEVICE=CHIPFILE ..." (separated by spaces): each
//                         DEVICE path, when opened, is a port with the chip
//                         that CHIPFILE keeps (sim::ChipFile; missing: blank)
//   BROVIK_PPDEV_FAULT    miso-stuck-high, miso-stuck-low or
//                         miso-one-clock-late (PortFault), for every port
//   BROVIK_PPDEV_JOURNAL  where to write the WireJournal (optional)
//   BROVIK_PPDEV_MARKS    a file the guest writes marks to, which the journal
//                         places among the accesses (optional)
// A chip file is written when its device is closed, and whenever new marks
// arrive and the chip has changed, so that it is current after every run.
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "framework/Sleep.h"
#include "sim/ChipFile.h"
#include "sim/ppdev/GuestMarks.h"
#include "sim/ppdev/PpdevChipPort.h"
#include "sim/ppdev/WireJournal.h"

namespace ppdev {

class PortBench {
public:
    static constexpr int kMaxPorts = 4;

    // The bench of this process, read from the environment at first use and
    // never destroyed: libc calls reach it until the very end of the process.
    static PortBench& Get();

    // Whether path is one of the fake devices (no lock taken: the set of
    // paths never changes).
    bool IsDevice(const char* path) const;
    // Whether fd is an open fake device.
    bool IsOpen(int fd) const;

    // Opens the fake device at path; realOpen opens /dev/null in its place so
    // that the process holds a real descriptor. -1 with errno set on failure.
    int Open(const char* path, int (*realOpen)(const char*, int, ...));
    // Writes the chip back and forgets fd; the caller closes it.
    void Closing(int fd);
    int Ioctl(int fd, unsigned long request, void* argument);
    // Writes back every chip still open and flushes the journal.
    void Finish();

private:
    struct Device {
        std::string path;
        sim::ChipFile chipFile;
        std::unique_ptr<PpdevChipPort> port;
        sim::ChipContents saved;
    };

    PortBench();
    Device* DeviceOf(int fd);
    // Journals the marks the guest has added, each chip that changed before them.
    void TakeMarks();
    void SaveChip(Device& device);

    std::string configError_;
    PortFault fault_ = PortFault::None;
    std::vector<Device> devices_;
    std::array<std::atomic<int>, kMaxPorts> fds_;
    std::optional<WireJournal> journal_;
    std::optional<GuestMarks> marks_;
    fw::MonotonicClock clock_;
    std::int64_t lastAccess_ = 0;
    std::mutex mutex_;
};

} // namespace ppdev
