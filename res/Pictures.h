// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <string>

#include "framework/Resources.h"

// Icon 128: an integrated circuit struck by a lightning bolt, 32 x 32.
const ImageResource& ProgramIcon();
// The same picture drawn size x size pixels, for the desktop's icon theme.
ImageResource ProgramIconOfSize(int size);
// The same picture as an SVG document.
std::string ProgramIconSvg();
// Bitmap 129: the logo, 55 x 40.
const ImageResource& LogoBitmap();
