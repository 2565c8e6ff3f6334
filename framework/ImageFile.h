// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <string>

#include "framework/Resources.h"

namespace fw {

// Writes a picture as a PNG file (for the icon that the desktop shows).
bool SaveImageAsPng(const ImageResource& image, const std::string& path);

} // namespace fw
