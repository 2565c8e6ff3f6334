#pragma once
// The command line of brovik-cli. Parsing looks at the arguments only: no
// file, setting or port is touched here.
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace cli {

enum class PortChoice { Lpt1, Lpt2, Lpt3, Simulated };
enum class Command { Erase, Blank, Program, Verify, Auto, Lock, Read };

struct Options {
    bool help = false;
    std::optional<PortChoice> port;
    std::optional<std::string> chipPath;
    std::optional<int> bitDelay;
    std::optional<int> byteDelay;
    bool fast = false;
    bool verbose = false;
    Command command = Command::Erase;
    // The HEX file of program, verify, auto and read.
    std::string file;
    // The level of lock: 1, 2 or 3.
    int lockLevel = 0;
};

struct UsageError {
    std::string message;
};

inline constexpr int kMinDelay = 1;
inline constexpr int kMaxDelay = 10;

// The arguments after the program name. --help anywhere wins over every other
// argument, valid or not.
std::variant<Options, UsageError> ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace cli
