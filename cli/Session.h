// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One run of brovik-cli on a settled command line: the port back end (the
// real printer port, or a simulated chip kept in its chip file), the console
// host, and the toolkit on its offscreen platform. Returns the exit status.
#include "cli/Options.h"
#include "cli/RunSettings.h"

namespace cli {

int RunSession(const Options& options, const RunSettings& settings);

} // namespace cli
