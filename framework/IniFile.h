// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings store: integer entries of sections in an INI file.
//
// Section and key names match without regard to ASCII case, and blanks or
// tabs around names and values are ignored when reading, and so is a UTF-8
// byte-order mark at the start. A write takes the file's lock, reads it
// again, changes only the one entry (or adds it), keeps every other byte, and
// replaces the file safely (ReplaceFile: symlinks followed as the rule for
// shared folders allows, mode kept, a read-only file left alone). What is not
// a regular file is never read nor replaced, and nothing is written without
// the lock.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "framework/FileTarget.h"
#include "framework/SettingsStore.h"

namespace fw {

class IniFile final : public ISettingsStore {
public:
    // folders: Create only for the default location (DefaultPathFor).
    explicit IniFile(std::string path, MissingFolders folders = MissingFolders::Refuse);

    const std::string& Path() const { return path_; }

    // Told, with the lock's reason and what to do, each time a write is
    // refused because the file's lock cannot be taken (a planted link, a
    // lock that is a folder, a folder that may not be written).
    void SetLockProblemHandler(std::function<void(const std::string& problem)> handler);

    // The entry's integer, or defaultValue when the file, the section or the
    // entry is missing or the file cannot be read.
    int GetInt(const std::string& section, const std::string& entry, int defaultValue) const override;
    // Why the file cannot be read, when it is there but cannot (it is not a
    // regular file, say); empty when it reads or is missing.
    std::string Problem() const;
    // Sets the entry to "%d" of value. False when the existing file cannot be
    // read or locked, the names cannot be stored, or the file cannot be
    // replaced; the old file is then left as it was. Waits while another
    // program writes.
    bool WriteInt(const std::string& section, const std::string& entry, int value) override;

    // $XDG_CONFIG_HOME (else $HOME/.config) + "/" + appName + ".INI".
    static std::string DefaultPathFor(const std::string& appName);

    // GetInt on the text of an INI file. The first matching entry wins. A
    // value reads as its leading decimal number after an optional sign: "12abc"
    // is 12, a value without one ("abc", "") is 0, and numbers beyond the int
    // range clamp to INT_MAX or INT_MIN.
    static int ParseInt(std::string_view text, const std::string& section, const std::string& entry,
                        int defaultValue);
    // The text with the entry set to value: the first matching entry's value
    // is replaced in place, else a new entry follows the last entry line of the
    // section's first block, else a new section is appended. New lines take the
    // text's line end ("\r\n" if its first line has one). Nothing when a name
    // would not read back as itself (a line break, "]" in a section name, "="
    // in a key, or a key that would read as a comment or a section header).
    static std::optional<std::string> WithInt(std::string_view text, const std::string& section,
                                              const std::string& entry, int value);

private:
    std::string path_;
    MissingFolders folders_;
    std::function<void(const std::string&)> lockProblem_;
};

} // namespace fw
