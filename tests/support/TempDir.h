// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A fresh folder for one test, removed with all it holds when the test ends.
#include <filesystem>
#include <string>

namespace test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

} // namespace test
