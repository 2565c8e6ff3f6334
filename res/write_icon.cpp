// Build tool: writes the program icon as a PNG for the desktop entry.
#include <cstdio>

#include "framework/ImageFile.h"
#include "res/Pictures.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    return fw::SaveImageAsPng(ProgramIcon(), argv[1]) ? 0 : 1;
}
