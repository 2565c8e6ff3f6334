// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include "framework/Wnd.h"

namespace fw {

// The icon of an image resource; loaded once and kept for the whole run.
HICON LoadIconResource(int id);
// The standard icon size (SM_CXICON x SM_CYICON).
inline constexpr int kIconWidth = 32;
inline constexpr int kIconHeight = 32;

} // namespace fw
