// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/IniFile.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "framework/FileLock.h"
#include "framework/SafeFile.h"

namespace fw {
namespace {

constexpr std::string_view kBlanks = " \t";
// Some editors start a UTF-8 file with a byte-order mark; it is not part of
// the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Far beyond any settings file; a bigger file is not one.
constexpr std::size_t kLargestFile = 1 << 20;

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

// One line of the text, as offsets into it so that a write can splice.
struct IniLine {
    enum class Kind { Other, Section, Entry };
    Kind kind = Kind::Other;
    std::size_t contentEnd = 0; // before the "\n" or "\r\n"
    std::size_t end = 0;        // after the line end, if any
    std::string_view name;      // trimmed section or key name
    std::size_t valueBegin = 0; // trimmed value of an entry
    std::size_t valueEnd = 0;
};

IniLine Classify(std::string_view text, std::size_t begin, std::size_t contentEnd, std::size_t end)
{
    IniLine line;
    line.contentEnd = contentEnd;
    line.end = end;
    const std::string_view content = text.substr(begin, contentEnd - begin);
    const auto first = content.find_first_not_of(kBlanks);
    if (first == std::string_view::npos || content[first] == ';' || content[first] == '#')
        return line;
    if (content[first] == '[') {
        const auto close = content.find(']', first + 1);
        if (close != std::string_view::npos) {
            line.kind = IniLine::Kind::Section;
            line.name = Trim(content.substr(first + 1, close - first - 1));
        }
        return line;
    }
    const auto equals = content.find('=');
    if (equals == std::string_view::npos)
        return line;
    line.kind = IniLine::Kind::Entry;
    line.name = Trim(content.substr(0, equals));
    const std::string_view value = Trim(content.substr(equals + 1));
    line.valueBegin = value.empty() ? begin + equals + 1 : static_cast<std::size_t>(value.data() - text.data());
    line.valueEnd = line.valueBegin + value.size();
    return line;
}

std::vector<IniLine> SplitLines(std::string_view text)
{
    std::vector<IniLine> lines;
    std::size_t begin = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (begin < text.size()) {
        const auto newline = text.find('\n', begin);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
        std::size_t contentEnd = newline == std::string_view::npos ? text.size() : newline;
        if (contentEnd > begin && text[contentEnd - 1] == '\r')
            --contentEnd;
        lines.push_back(Classify(text, begin, contentEnd, end));
        begin = end;
    }
    return lines;
}

// Entries before the first section header belong to no section.
const IniLine* FindEntry(const std::vector<IniLine>& lines, std::string_view section, std::string_view entry)
{
    bool inSection = false;
    for (const IniLine& line : lines) {
        if (line.kind == IniLine::Kind::Section)
            inSection = SameName(line.name, section);
        else if (inSection && line.kind == IniLine::Kind::Entry && SameName(line.name, entry))
            return &line;
    }
    return nullptr;
}

// The line after which a new entry of section goes: the last entry line of
// the section's first block, else its header; null without such a section.
const IniLine* FindInsertionLine(const std::vector<IniLine>& lines, std::string_view section)
{
    const IniLine* found = nullptr;
    for (const IniLine& line : lines) {
        if (line.kind == IniLine::Kind::Section) {
            if (found)
                break;
            if (SameName(line.name, section))
                found = &line;
        } else if (found && line.kind == IniLine::Kind::Entry) {
            found = &line;
        }
    }
    return found;
}

std::string_view LineEndOf(std::string_view text)
{
    const auto newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

// What a line needs before another can follow it: nothing when it ends in
// "\n", only "\n" when the file ends in a lone "\r".
std::string_view MissingLineEnd(std::string_view text, std::size_t contentEnd, std::size_t end,
                                std::string_view lineEnd)
{
    if (end > 0 && text[end - 1] == '\n')
        return {};
    return end > contentEnd ? "\n" : lineEnd;
}

int LeadingInt(std::string_view value)
{
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    std::size_t i = 0;
    const bool negative = !value.empty() && value[0] == '-';
    if (!value.empty() && (value[0] == '-' || value[0] == '+'))
        ++i;
    long long magnitude = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (value[i] - '0'), kLimit);
    if (negative)
        return static_cast<int>(-magnitude);
    return static_cast<int>(std::min(magnitude, kLimit - 1));
}

bool HasLineBreak(std::string_view name) { return name.find_first_of("\r\n") != std::string_view::npos; }

bool ReadsBackAsItself(std::string_view section, std::string_view entry)
{
    if (HasLineBreak(section) || section.find(']') != std::string_view::npos)
        return false;
    if (HasLineBreak(entry) || entry.find('=') != std::string_view::npos)
        return false;
    const std::string_view key = Trim(entry);
    return key.empty() || (key[0] != ';' && key[0] != '#' && key[0] != '[');
}

std::string ConfigHome()
{
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config";
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return std::string(user->pw_dir) + "/.config";
    return ".config";
}

} // namespace

IniFile::IniFile(std::string path, MissingFolders folders)
    : path_(std::move(path)), folders_(folders)
{
}

void IniFile::SetLockProblemHandler(std::function<void(const std::string& problem)> handler)
{
    lockProblem_ = std::move(handler);
}

int IniFile::GetInt(const std::string& section, const std::string& entry, int defaultValue) const
{
    std::string text;
    if (ReadRegularFile(path_, kLargestFile, text) != ReadResult::Read)
        return defaultValue;
    return ParseInt(text, section, entry, defaultValue);
}

std::string IniFile::Problem() const
{
    std::string text;
    std::string error;
    ReadRegularFile(path_, kLargestFile, text, &error);
    return error;
}

bool IniFile::WriteInt(const std::string& section, const std::string& entry, int value)
{
    // Read and replaced under the lock, so that an entry another program
    // writes meanwhile is not lost.
    const FileLock lock(path_, FileLock::Wait::Yes, folders_);
    if (lock.GetState() != FileLock::State::Held) {
        if (lockProblem_)
            lockProblem_(lock.Error());
        return false;
    }
    std::string text;
    if (ReadRegularFile(path_, kLargestFile, text) == ReadResult::Failed)
        return false;
    const std::optional<std::string> updated = WithInt(text, section, entry, value);
    return updated && ReplaceFile(path_, *updated, NonRegularFile::Refuse);
}

std::string IniFile::DefaultPathFor(const std::string& appName) { return ConfigHome() + "/" + appName + ".INI"; }

int IniFile::ParseInt(std::string_view text, const std::string& section, const std::string& entry, int defaultValue)
{
    const std::vector<IniLine> lines = SplitLines(text);
    const IniLine* line = FindEntry(lines, Trim(section), Trim(entry));
    if (!line)
        return defaultValue;
    return LeadingInt(text.substr(line->valueBegin, line->valueEnd - line->valueBegin));
}

std::optional<std::string> IniFile::WithInt(std::string_view text, const std::string& section,
                                            const std::string& entry, int value)
{
    if (!ReadsBackAsItself(section, entry))
        return std::nullopt;
    const std::string number = std::to_string(value);
    const std::vector<IniLine> lines = SplitLines(text);
    const std::string_view lineEnd = LineEndOf(text);
    std::string result;

    if (const IniLine* line = FindEntry(lines, Trim(section), Trim(entry))) {
        result.append(text.substr(0, line->valueBegin)).append(number).append(text.substr(line->valueEnd));
        return result;
    }
    const std::string newEntry = entry + "=" + number;
    if (const IniLine* line = FindInsertionLine(lines, Trim(section))) {
        result.append(text.substr(0, line->end))
            .append(MissingLineEnd(text, line->contentEnd, line->end, lineEnd))
            .append(newEntry)
            .append(lineEnd)
            .append(text.substr(line->end));
        return result;
    }
    result.append(text);
    if (!lines.empty())
        result.append(MissingLineEnd(text, lines.back().contentEnd, lines.back().end, lineEnd));
    result.append("[").append(section).append("]").append(lineEnd).append(newEntry).append(lineEnd);
    return result;
}

} // namespace fw
