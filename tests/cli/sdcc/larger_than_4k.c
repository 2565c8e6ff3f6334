/* SPDX-License-Identifier: GPL-2.0-or-later */
/* More than 4 KiB: a 4608-byte table in code memory beside the code. */
#include <8051.h>

#define B(i) (((i) ^ ((i) >> 3)) & 0xFF)
#define B8(i) B(i), B(i + 1), B(i + 2), B(i + 3), B(i + 4), B(i + 5), B(i + 6), B(i + 7)
#define B64(i) B8(i), B8(i + 8), B8(i + 16), B8(i + 24), B8(i + 32), B8(i + 40), B8(i + 48), B8(i + 56)
#define B512(i) B64(i), B64(i + 64), B64(i + 128), B64(i + 192), B64(i + 256), B64(i + 320), B64(i + 384), B64(i + 448)

__code const unsigned char table[4608] = {
    B512(0), B512(512), B512(1024), B512(1536), B512(2048), B512(2560), B512(3072), B512(3584), B512(4096)};

void main(void)
{
    unsigned int i;
    unsigned char sum = 0;
    for (i = 0; i < sizeof table; ++i)
        sum += table[i];
    for (;;)
        P1 = sum;
}
