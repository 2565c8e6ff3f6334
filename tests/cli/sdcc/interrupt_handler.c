/* SPDX-License-Identifier: GPL-2.0-or-later */
/* A timer interrupt handler: its vector at 0x000B sits apart from the
   start-up code. */
#include <8051.h>

volatile unsigned char ticks;

void timer0_isr(void) __interrupt(1)
{
    ++ticks;
    TH0 = 0x3C;
    TL0 = 0xB0;
}

void main(void)
{
    TMOD = 0x01;
    ET0 = 1;
    EA = 1;
    TR0 = 1;
    for (;;)
        P1 = ticks;
}
