// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <string>

namespace fw {

// The running executable's file name without its extension ("brovik",
// "brovik-sim"): the caption of message boxes and the stem of the INI file.
std::string ApplicationName();

} // namespace fw
