// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// For tests only: a hook that ReplaceFile calls after it has checked the file
// and written the temporary one, just before it looks again and renames, so
// that a test can swap the file in that window as another user would.
#include <functional>

namespace fw {

// Empty to remove it.
void SetBeforeReplaceHook(std::function<void()> hook);

} // namespace fw
