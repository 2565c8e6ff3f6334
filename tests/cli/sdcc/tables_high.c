/* SPDX-License-Identifier: GPL-2.0-or-later */
/* Constant tables placed high in the flash with __at: the HEX file then holds
   records far above the code, written before the start-up code at 0. */
#include <8051.h>

__code __at(0x1800) const unsigned char sine[16] = {
    0x80, 0xB0, 0xDA, 0xF5, 0xFF, 0xF5, 0xDA, 0xB0, 0x80, 0x4F, 0x25, 0x0A, 0x00, 0x0A, 0x25, 0x4F};
__code __at(0x1F80) const char banner[] = "brovik table test";

void main(void)
{
    unsigned char i = 0;
    for (;;) {
        P1 = sine[i & 0x0F];
        P2 = banner[i % (sizeof banner - 1)];
        ++i;
    }
}
