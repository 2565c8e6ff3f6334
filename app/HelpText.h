// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// What F1 shows: there is no help viewer for ".HLP" files on Linux.
inline constexpr const char* kHelpText =
    "brovik programs the 8 KiB flash and the lock bits of the target chip through an "
    "adapter on the printer port.\n\n"
    "Open Hex File: loads an Intel HEX file (code at addresses 0 to 8191).\n"
    "Erase: erases the whole chip; this also clears its lock bits.\n"
    "Blank: checks that all 8192 bytes read 0xFF.\n"
    "Program: writes the loaded file to the chip.\n"
    "Verify: compares the chip with the loaded file.\n"
    "Auto: Erase, Blank, Program and Verify in one run.\n"
    "Lock Bit: sets the ticked lock level (1: no more writing, 2 and 3: no more reading).\n\n"
    "Lpt1, Lpt2, Lpt3: the printer port the adapter is on (0x378, 0x278, or the first other "
    "port the kernel reports).\n"
    "Bit delay (1 to 10): slows the serial clock; raise it for long cables or slow targets.\n"
    "Byte delay (1 to 10): multiplies every wait (200 ms per reset step, 4 ms per byte "
    "written, 40 ms after an erase, 100 ms after a lock command).\n\n"
    "Printer-port access on Linux: the program uses /dev/parportN (module ppdev). Add your "
    "user to the group that owns /dev/parport* (usually \"lp\": sudo usermod -aG lp $USER) "
    "and log in again. Without ppdev it needs root or CAP_SYS_RAWIO for direct port I/O.";
