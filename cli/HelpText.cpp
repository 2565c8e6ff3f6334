// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/HelpText.h"

namespace cli {

std::string HelpText(const std::string& settingsPath, const std::string& defaultChipPath)
{
    return R"(Usage: brovik-cli [OPTIONS] COMMAND

Runs the operations of the brovik dialog program from a terminal: the same
code the buttons run, with no window and no display needed.

Commands:
  erase          erase the flash (all bytes 0xFF) and clear the lock bits
  blank          check that all 8192 flash bytes read 0xFF
  program FILE   load the Intel HEX file FILE and write it to the flash
  verify FILE    load FILE and compare the flash with it
  auto FILE      load FILE, then erase, blank check, program and verify
  lock 1|2|3     set lock level 1, 2 or 3 (only erase clears it again)
  read FILE      after the presence check, read all 8192 flash bytes and then
                 write them to FILE as Intel HEX (16-byte data records); the
                 file loads back in program/verify; nothing is written when
                 the chip does not answer
  A HEX file is loaded exactly as "Open Hex File" does, with the same checks
  and messages; a refused file ends the run before the chip is touched. A FILE
  of - for program, verify and auto is read from standard input (at most
  24576 bytes, as for a file); so is a FILE that names a pipe or a device
  (/dev/stdin, a shell's <(...)). A type 02 or 04 record with a base other
  than 0 puts data beyond the flash and refuses the file.
  erase and program read nothing back, so they cannot tell whether a chip
  answered or took the data: their Ok says only that the commands were sent.
  auto and verify prove the result by reading the flash back.

Options:
  --port lpt1|lpt2|lpt3|sim|/dev/parportN|0xADDR
                 the printer port the adapter is on, or sim for the simulated
                 chip (adapter at LPT1, 0x378); a kernel device such as
                 /dev/parport1 or a base address in hexadecimal such as 0xD010
                 reaches a PCI or PCIe card; default: the LPT PORT that the
                 dialog program stored
  --chip FILE    the chip file of the simulated chip (with --port sim only);
                 default: the chip file of brovik-sim
  --fast         for the simulated chip only (with --port sim): simulated time
                 passes at once, sleeps advance a virtual clock instead of
                 waiting (the bit clock still runs at its own speed); with a
                 real port it is a usage error
  --bit-delay N  bit delay, 1 to 10; default: the stored DELAY BIT, used as
                 brovik uses it (0 or none is 1; above 10 as stored, up to
                 1000; a negative or larger value is 1000), said on standard
                 error when it is not 1 to 10
  --byte-delay N byte delay, 1 to 10; default: the stored DELAY BYTE, likewise
  --verbose      before the command, print the port address and the delays
                 in use to standard error
  -q, --quiet    print no status texts, only fault messages
  --version      print the program's name and version
  -h, --help     print this text

Output:
  Status texts go to standard output. On a terminal the step in progress is
  one line redrawn in place, a 30-character bar followed by the text, and
  each step that ends with its Ok text keeps that line, with the seconds it
  took. Otherwise each step's first and last text is a line of its own,
  and of its progress texts one for each ten percent. Message texts
  (faults) go to standard error unchanged; the lines brovik-cli adds there
  begin with "brovik-cli: ".

Stopping:
  SIGINT (Ctrl-C), SIGTERM and SIGHUP stop the run at the end of the ISP
  command in progress: the target is released, the simulated chip keeps what
  was written, standard error says which operation stopped at which address,
  and the exit status is 130, 143 or 129. A run still waiting for its HEX
  file on a stream stops at once, before the chip is touched.

Settings:
  Read from )" + settingsPath +
           R"(
  (section [BROVIK]: LPT PORT, DELAY BIT, DELAY BYTE) and kept in memory for
  the run: brovik-cli never writes that file and never asks for a port.

Simulated chip:
  Default chip file: )" + defaultChipPath +
           R"(
  8192 flash bytes followed by one byte of lock bits; a missing file is a blank
  chip. It is written back (atomically) only when the run changed the chip; a
  file that cannot be read as a chip file ends the run and is left as it is.

Exit status:
  0  the command succeeded
  1  the command failed: a fault message, a refused HEX file (the line where
     it was refused follows), a failed blank check or verify (the first
     differing address follows), a chip that did not answer the presence
     check, or a chip file that could not be locked, read or written
  2  usage error, or read into the chip file of the run; nothing was touched
  129, 130, 143  stopped by SIGHUP, SIGINT or SIGTERM
)";
}

} // namespace cli
