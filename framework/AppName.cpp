// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/AppName.h"

#include <climits>
#include <unistd.h>

namespace fw {
namespace {

std::string ExecutableStem()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "brovik";
    std::string path(buffer, static_cast<size_t>(n));
    std::string file = path.substr(path.find_last_of('/') + 1);
    const auto dot = file.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
}

} // namespace

std::string ApplicationName()
{
    static const std::string stem = ExecutableStem();
    return stem;
}

} // namespace fw
