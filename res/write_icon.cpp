// SPDX-License-Identifier: GPL-2.0-or-later
// Build tool: writes the program icon for the desktop's icon theme, drawn by
// the same code as the picture the program shows: a PNG of a given size, or
// the SVG.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "framework/ImageFile.h"
#include "res/Pictures.h"

int main(int argc, char** argv)
{
    const std::string kind = argc == 3 ? argv[1] : "";
    if (kind == "svg") {
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << ProgramIconSvg();
        out.close();
        return out ? 0 : 1;
    }
    const int size = std::atoi(kind.c_str());
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: %s SIZE OUTPUT.png | %s svg OUTPUT.svg\n", argv[0], argv[0]);
        return 2;
    }
    return fw::SaveImageAsPng(ProgramIconOfSize(size), argv[2]) ? 0 : 1;
}
