#pragma once
#include "framework/Resources.h"

// Icon 128: an integrated circuit struck by a lightning bolt, 32 x 32.
const ImageResource& ProgramIcon();
// Bitmap 129: the logo, 55 x 40.
const ImageResource& LogoBitmap();
