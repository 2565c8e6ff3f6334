// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/ParportList.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

namespace hw {
namespace {

std::optional<int> PortNumber(std::string_view directoryName)
{
    constexpr std::string_view kPrefix = "parport";
    if (!directoryName.starts_with(kPrefix) || directoryName.size() == kPrefix.size())
        return std::nullopt;
    const std::string_view digits = directoryName.substr(kPrefix.size());
    if (digits[0] < '0' || digits[0] > '9')
        return std::nullopt;
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

std::optional<std::uint16_t> BaseAddress(const std::filesystem::path& file)
{
    std::ifstream in(file);
    long long base = -1;
    if (!(in >> base) || base < 0 || base > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(base);
}

} // namespace

std::vector<ParportInfo> ReadParportList(const std::string& root)
{
    std::vector<ParportInfo> ports;
    std::error_code error;
    for (std::filesystem::directory_iterator item(root, error), end; !error && item != end; item.increment(error)) {
        const std::optional<int> number = PortNumber(item->path().filename().native());
        if (!number)
            continue;
        if (const std::optional<std::uint16_t> base = BaseAddress(item->path() / "base-addr"))
            ports.push_back({*number, *base});
    }
    std::sort(ports.begin(), ports.end(),
              [](const ParportInfo& a, const ParportInfo& b) { return a.number < b.number; });
    return ports;
}

} // namespace hw
