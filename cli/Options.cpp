// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Options.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace cli {
namespace {

struct CommandSyntax {
    std::string_view name;
    Command command;
    // What the one argument of the command is called, or empty for none.
    std::string_view argument;
};

constexpr std::array kCommands{
    CommandSyntax{"erase", Command::Erase, ""},      CommandSyntax{"blank", Command::Blank, ""},
    CommandSyntax{"program", Command::Program, "FILE"}, CommandSyntax{"verify", Command::Verify, "FILE"},
    CommandSyntax{"auto", Command::Auto, "FILE"},    CommandSyntax{"lock", Command::Lock, "1|2|3"},
    CommandSyntax{"read", Command::Read, "FILE"},
};

struct NamedPort {
    std::string_view name;
    PortChoice port;
};

constexpr std::array kPorts{NamedPort{"lpt1", PortChoice::Lpt1}, NamedPort{"lpt2", PortChoice::Lpt2},
                            NamedPort{"lpt3", PortChoice::Lpt3}, NamedPort{"sim", PortChoice::Simulated}};

// Digits only, so that "5x", "+5", " 5" and "" are refused rather than read
// as a number.
std::optional<int> DelayValue(const std::string& text)
{
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < kMinDelay || value > kMaxDelay)
        return std::nullopt;
    return value;
}

// "0x" and one to four hexadecimal digits; the three registers from the base
// on must lie within the I/O space, and 0 is no port.
std::optional<std::uint16_t> PortAddress(const std::string& text)
{
    if (text.size() < 3 || text.size() > 6 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return std::nullopt;
    const std::string digits = text.substr(2);
    if (digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    const unsigned long value = std::stoul(digits, nullptr, 16);
    if (value == 0 || value > 0xFFFD)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// /dev/parportN with N a decimal number.
bool IsParportDevice(const std::string& text)
{
    constexpr std::string_view prefix = "/dev/parport";
    const std::string_view number = std::string_view(text).substr(std::min(text.size(), prefix.size()));
    return text.starts_with(prefix) && !number.empty() && number.size() <= 3 &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    std::variant<Options, UsageError> Parse()
    {
        if (std::find_if(arguments_.begin(), arguments_.end(),
                         [](const std::string& a) { return a == "--help" || a == "-h"; }) != arguments_.end()) {
            options_.help = true;
            return options_;
        }
        if (std::find(arguments_.begin(), arguments_.end(), "--version") != arguments_.end()) {
            options_.version = true;
            return options_;
        }
        std::vector<std::string> positional;
        bool optionsEnded = false;
        for (next_ = 0; next_ < arguments_.size();) {
            const std::string argument = arguments_[next_++];
            if (!optionsEnded && argument == "-q") {
                options_.quiet = true;
            } else if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
                positional.push_back(argument);
            } else if (argument == "--") {
                optionsEnded = true;
            } else if (!TakeOption(argument)) {
                return error_;
            }
        }
        if (!TakeCommand(positional) || !CheckCombination())
            return error_;
        return options_;
    }

private:
    bool Fail(std::string message)
    {
        error_.message = std::move(message);
        return false;
    }

    // "--name value" or "--name=value".
    bool TakeOption(const std::string& argument)
    {
        const auto equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        std::optional<std::string> inlineValue;
        if (equals != std::string::npos)
            inlineValue = argument.substr(equals + 1);

        if (name == "--fast" || name == "--verbose" || name == "--quiet") {
            if (inlineValue)
                return Fail(name + " takes no value");
            (name == "--fast" ? options_.fast : name == "--verbose" ? options_.verbose : options_.quiet) = true;
            return true;
        }
        if (name != "--port" && name != "--chip" && name != "--bit-delay" && name != "--byte-delay")
            return Fail("unknown option " + argument);

        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (next_ < arguments_.size()) {
            value = arguments_[next_++];
        } else {
            return Fail(name + " needs a value");
        }

        if (name == "--port") {
            return TakePort(value);
        } else if (name == "--chip") {
            if (value.empty())
                return Fail("--chip needs a file name");
            options_.chipPath = value;
        } else {
            const std::optional<int> delay = DelayValue(value);
            if (!delay)
                return Fail(name + " takes a whole number from 1 to 10, not \"" + value + "\"");
            (name == "--bit-delay" ? options_.bitDelay : options_.byteDelay) = *delay;
        }
        return true;
    }

    bool TakePort(const std::string& value)
    {
        const auto port = std::find_if(kPorts.begin(), kPorts.end(), [&](const NamedPort& p) { return p.name == value; });
        if (port != kPorts.end()) {
            options_.port = port->port;
        } else if (const std::optional<std::uint16_t> address = PortAddress(value)) {
            options_.port = PortChoice::Address;
            options_.portAddress = *address;
        } else if (IsParportDevice(value)) {
            options_.port = PortChoice::Device;
            options_.portDevice = value;
        } else {
            return Fail("--port takes lpt1, lpt2, lpt3, sim, a device /dev/parportN or a base address such as 0xD010, "
                        "not \"" + value + "\"");
        }
        return true;
    }

    bool TakeCommand(const std::vector<std::string>& positional)
    {
        if (positional.empty())
            return Fail("no command given");
        const auto syntax = std::find_if(kCommands.begin(), kCommands.end(),
                                       [&](const CommandSyntax& c) { return c.name == positional.front(); });
        if (syntax == kCommands.end())
            return Fail("unknown command \"" + positional.front() + "\"");
        const std::string name(syntax->name);
        const std::size_t wanted = syntax->argument.empty() ? 0 : 1;
        if (positional.size() - 1 < wanted)
            return Fail(name + " needs " + std::string(syntax->argument));
        if (positional.size() - 1 > wanted)
            return Fail("too many arguments for " + name + ": \"" + positional[wanted + 1] + "\"");

        options_.command = syntax->command;
        if (syntax->command == Command::Lock) {
            const std::string& level = positional[1];
            if (level != "1" && level != "2" && level != "3")
                return Fail("lock takes the level 1, 2 or 3, not \"" + level + "\"");
            options_.lockLevel = level[0] - '0';
        } else if (wanted == 1) {
            if (positional[1].empty())
                return Fail(name + " needs a file name");
            options_.file = positional[1];
        }
        return true;
    }

    bool CheckCombination()
    {
        const bool simulated = options_.port == PortChoice::Simulated;
        if (options_.fast && !simulated)
            return Fail("--fast is for the simulated chip only: use it with --port sim");
        if (options_.chipPath && !simulated)
            return Fail("--chip is for the simulated chip only: use it with --port sim");
        if (options_.quiet && options_.verbose)
            return Fail("--quiet and --verbose cannot be used together");

        return true;
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    Options options_;
    UsageError error_;
};

} // namespace

std::variant<Options, UsageError> ParseCommandLine(const std::vector<std::string>& arguments)
{
    return Parser(arguments).Parse();
}

} // namespace cli
