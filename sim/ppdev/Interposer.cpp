// SPDX-License-Identifier: GPL-2.0-or-later
// The libc functions that QEMU reaches a ppdev device through, replaced when
// this library is preloaded: on a fake device of the PortBench they open,
// answer and close the port model; everything else goes on to libc.
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "sim/ppdev/PortBench.h"

namespace {

using OpenFunction = int (*)(const char*, int, ...);
using OpenAtFunction = int (*)(int, const char*, int, ...);

template <typename Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool TakesMode(int flags) { return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE; }

mode_t ModeArgument(int flags, va_list arguments)
{
    return TakesMode(flags) ? static_cast<mode_t>(va_arg(arguments, unsigned int)) : 0;
}

// A fake device is opened in place of the path; the descriptor the process
// gets is /dev/null's, opened through libc's own open64.
bool IsDevice(const char* path) { return ppdev::PortBench::Get().IsDevice(path); }

int OpenDevice(const char* path)
{
    static const OpenFunction open64Next = Next<OpenFunction>("open64");
    return ppdev::PortBench::Get().Open(path, open64Next);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    static const OpenFunction next = Next<OpenFunction>("open");
    return IsDevice(path) ? OpenDevice(path) : next(path, flags, mode);
}

__attribute__((visibility("default"))) int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    static const OpenFunction next = Next<OpenFunction>("open64");
    return IsDevice(path) ? OpenDevice(path) : next(path, flags, mode);
}

__attribute__((visibility("default"))) int __open_2(const char* path, int flags)
{
    static const auto next = Next<int (*)(const char*, int)>("__open_2");
    return IsDevice(path) ? OpenDevice(path) : next(path, flags);
}

__attribute__((visibility("default"))) int __open64_2(const char* path, int flags)
{
    static const auto next = Next<int (*)(const char*, int)>("__open64_2");
    return IsDevice(path) ? OpenDevice(path) : next(path, flags);
}

__attribute__((visibility("default"))) int openat(int directory, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    static const OpenAtFunction next = Next<OpenAtFunction>("openat");
    return IsDevice(path) ? OpenDevice(path) : next(directory, path, flags, mode);
}

__attribute__((visibility("default"))) int openat64(int directory, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    static const OpenAtFunction next = Next<OpenAtFunction>("openat64");
    return IsDevice(path) ? OpenDevice(path) : next(directory, path, flags, mode);
}

__attribute__((visibility("default"))) int close(int fd)
{
    static const auto closeNext = Next<int (*)(int)>("close");
    ppdev::PortBench& bench = ppdev::PortBench::Get();
    if (bench.IsOpen(fd))
        bench.Closing(fd);
    return closeNext(fd);
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list arguments;
    va_start(arguments, request);
    void* const argument = va_arg(arguments, void*);
    va_end(arguments);
    ppdev::PortBench& bench = ppdev::PortBench::Get();
    if (bench.IsOpen(fd))
        return bench.Ioctl(fd, request, argument);
    static const auto ioctlNext = Next<int (*)(int, unsigned long, ...)>("ioctl");
    return ioctlNext(fd, request, argument);
}

} // extern "C"

// QEMU closes its devices as it shuts down; a process that ends otherwise
// still leaves its chips in their files.
__attribute__((destructor)) static void WriteBackAtExit() { ppdev::PortBench::Get().Finish(); }
