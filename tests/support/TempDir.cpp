// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <stdexcept>

namespace test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "brovik-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace test
