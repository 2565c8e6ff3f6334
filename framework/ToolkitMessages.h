// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Qt's own messages as our programs pass them on.
#include <functional>
#include <string>

namespace fw {

// Drops Qt's warning that XDG_RUNTIME_DIR is not set (cron, sudo and root
// shells have none, and nothing of ours keeps files there); every other
// message goes on as before.
void FilterToolkitMessages();

// The same, for a program whose every line on standard error must say whose
// it is: each message that goes on starts with prefix.
void PrefixToolkitMessages(const std::string& prefix);

// Runs start, the toolkit's start-up. When it finds no display to show
// windows on, the program ends with exit status 1 after one line that says
// so and what to do, in place of Qt's messages and abort.
void StartToolkit(const std::function<void()>& start);

} // namespace fw
