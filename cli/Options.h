// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of brovik-cli. Parsing looks at the arguments only: no
// file, setting or port is touched here.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace cli {

// Beyond the dialog's three ports: a port by its base address, or by its
// kernel device (/dev/parportN), for cards the three do not reach.
enum class PortChoice { Lpt1, Lpt2, Lpt3, Simulated, Address, Device };
enum class Command { Erase, Blank, Program, Verify, Auto, Lock, Read };

struct Options {
    bool help = false;
    bool version = false;
    std::optional<PortChoice> port;
    // With PortChoice::Address.
    std::uint16_t portAddress = 0;
    // With PortChoice::Device.
    std::string portDevice;
    std::optional<std::string> chipPath;
    std::optional<int> bitDelay;
    std::optional<int> byteDelay;
    bool fast = false;
    bool verbose = false;
    // Fault messages only: no status line.
    bool quiet = false;
    Command command = Command::Erase;
    // The HEX file of program, verify, auto and read.
    // "-" (kStandardInput) is standard input for program, verify and auto.
    std::string file;
    // The level of lock: 1, 2 or 3.
    int lockLevel = 0;
};

struct UsageError {
    std::string message;
};

inline constexpr const char* kStandardInput = "-";

inline constexpr int kMinDelay = 1;
inline constexpr int kMaxDelay = 10;

// The arguments after the program name. --help anywhere wins over every other
// argument, valid or not; --version wins over all but --help.
std::variant<Options, UsageError> ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace cli
