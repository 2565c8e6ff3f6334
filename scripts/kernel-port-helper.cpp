// SPDX-License-Identifier: GPL-2.0-or-later
// The real-kernel port test's own helper, run inside the QEMU guest:
//   mark TEXT                 writes "TEXT\n" to QEMU's debug console port,
//                             so that the host finds it in the I/O trace
//   hold DEVICE [exclusive]   claims DEVICE through ppdev (exclusively: no
//                             other device may even register on the port),
//                             says "held" on standard output and keeps the
//                             claim until killed
//   runas UID GID[,GROUP...] PROGRAM [ARG...]
//                             runs PROGRAM with exactly these ids
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/ppdev.h>
#include <string>
#include <sys/io.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr unsigned short kDebugConsolePort = 0xE9;

int Fail(const std::string& what)
{
    std::fprintf(stderr, "kernel-port-helper: %s: %s\n", what.c_str(), std::strerror(errno));
    return 1;
}

int Mark(const std::string& text)
{
    if (::ioperm(kDebugConsolePort, 1, 1) != 0)
        return Fail("ioperm");
    for (const char c : text + "\n")
        ::outb(static_cast<unsigned char>(c), kDebugConsolePort);
    return 0;
}

int Hold(const char* device, bool exclusive)
{
    const int fd = ::open(device, O_RDWR);
    if (fd < 0)
        return Fail(std::string("open ") + device);
    if (exclusive && ::ioctl(fd, PPEXCL) != 0)
        return Fail(std::string("PPEXCL ") + device);
    if (::ioctl(fd, PPCLAIM) != 0)
        return Fail(std::string("PPCLAIM ") + device);
    std::printf("held\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}

int RunAs(char** argv)
{
    const uid_t uid = static_cast<uid_t>(std::strtoul(argv[0], nullptr, 10));
    std::vector<gid_t> gids;
    for (char* item = std::strtok(argv[1], ","); item; item = std::strtok(nullptr, ","))
        gids.push_back(static_cast<gid_t>(std::strtoul(item, nullptr, 10)));
    if (gids.empty())
        return Fail("no group given");
    if (::setgroups(gids.size() - 1, gids.data() + 1) != 0 || ::setgid(gids[0]) != 0 || ::setuid(uid) != 0)
        return Fail("dropping privileges");
    ::execv(argv[2], argv + 2);
    return Fail(std::string("exec ") + argv[2]);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "mark" && argc == 3)
        return Mark(argv[2]);
    if (verb == "hold" && (argc == 3 || (argc == 4 && std::string(argv[3]) == "exclusive")))
        return Hold(argv[2], argc == 4);
    if (verb == "runas" && argc >= 5)
        return RunAs(argv + 2);
    std::fprintf(stderr, "usage: kernel-port-helper mark TEXT | hold DEVICE [exclusive] | runas UID GID[,GROUP...] PROGRAM [ARG...]\n");
    return 2;
}
