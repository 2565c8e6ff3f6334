#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Checks the QEMU boots of scripts/kernel-port-test.sh from the host.

  kernel-port-check.py check WORK [--chip-only]
                                         both boots, or the chip boot only;
                                         WORK is the test's folder
  kernel-port-check.py change-hex IN OUT IN with one byte changed (the chip
                                         boot's file for a failing verify)

The printer boot: reads the guest's console (the "@@" lines of
kernel-port-init.sh) and QEMU's trace of I/O accesses, cuts out each
brovik-cli run by the marks written to the debug console port, and checks per
run: which I/O ports were touched, how the port was reached, the ISP commands
decoded from the register writes, the entry into programming mode and the
release, the levels the lines end at, and what brovik-cli said. The chip boot
is checked by kernel_port_chip.py. Prints what it checked, then a summary
whose last line says how many runs were as expected; exits 1 on any mismatch.
"""
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import kernel_port_chip  # noqa: E402

DEBUG_CONSOLE = 0xE9
LPT1, LPT3 = 0x378, 0xD010
DATA, STATUS, CONTROL = 0, 1, 2
CONTROL_INVERTED = 0x0B      # nStrobe, nAutoFeed and nSelectIn
SCK, RESET_LINE = 0x01, 0x02 # data register
MOSI = 0x01                  # control register, as a pin level
MISO = 0x40                  # status register

CHECK_MESSAGE = "Error! Please check your CPU, printer port and power supply."
STATUS_BLANK_FAILED = "Error! Please check your CPU, power supply and printer port."

# What each run is: the port it must use, how, the operation and its outcome.
CASES = {
    "ppdev-root-blank": dict(base=LPT1, access="ppdev", operation="blank"),
    "ppdev-root-erase": dict(base=LPT1, access="ppdev", operation="erase"),
    "ppdev-group-blank": dict(base=LPT1, access="ppdev", operation="blank"),
    "ppdev-group-erase": dict(base=LPT1, access="ppdev", operation="erase"),
    "no-access-blank": dict(base=LPT1, access="none", operation="blank",
                            said=["Cannot reach the parallel port at 0x378",
                                  "Opening {device} was refused: permission denied.",
                                  "Direct port I/O is not permitted",
                                  'sudo usermod -aG lp $USER', "CAP_SYS_RAWIO"]),
    "no-access-erase": dict(base=LPT1, access="none", operation="erase",
                            said=["Cannot reach the parallel port at 0x378"]),
    "lpt3-ppdev-blank": dict(base=LPT3, access="ppdev", operation="blank"),
    "in-use-exclusive-blank": dict(base=LPT1, access="none", operation="blank",
                                   said=["Cannot reach the parallel port at 0x378",
                                         "{device} is in use by another program."],
                                   unsaid=["CAP_SYS_RAWIO"]),
    "in-use-blank": dict(base=LPT1, access="none", operation="blank",
                         said=["Cannot reach the parallel port at 0x378",
                               "{device} is in use by another program.",
                               "close the other program that uses {device}"],
                         unsaid=["CAP_SYS_RAWIO"]),
    "direct-root-blank": dict(base=LPT1, access="direct", operation="blank"),
    "direct-root-erase": dict(base=LPT1, access="direct", operation="erase"),
    "lpt3-direct-blank": dict(base=LPT3, access="direct", operation="blank"),
}

MEMORY_OP = re.compile(r"memory_region_ops_(read|write) cpu -?\d+ mr \S+ addr 0x([0-9a-f]+) "
                       r"value 0x([0-9a-f]+) size \d+ name '([^']*)'")
PARALLEL_OP = re.compile(r"parallel_ioport_(read|write) \S+ \[[^\]]*\] addr 0x([0-9a-f]+) val 0x([0-9a-f]+)")

failures = []


def fail(case, text):
    failures.append(f"{case}: {text}")
    print(f"  MISMATCH: {text}")


def read_console(path):
    runs, ports = {}, {}
    current = None
    for line in open(path, errors="replace"):
        line = line.rstrip("\r\n")
        if line.startswith("@@PORT "):
            _, name, base = line.split()[:3]
            ports[int(base)] = "/dev/" + name
        elif line.startswith("@@CASE "):
            name = line.split()[1]
            status = int(re.search(r"status=(\d+)", line).group(1))
            current = runs[name] = dict(status=status, out=[], err=[])
        elif line.startswith("@@OUT ") and current is not None:
            current["out"].append(line[6:])
        elif line.startswith("@@ERR ") and current is not None:
            current["err"].append(line[6:])
    return runs, ports


def read_trace(path):
    """The I/O accesses of each run: (kind, port, value) from the memory
    region trace, and (kind, offset, value) from the parallel port's own."""
    windows = {}
    mark = ""
    inside = None
    for line in open(path, errors="replace"):
        m = MEMORY_OP.search(line)
        if m:
            kind, address, value = m.group(1), int(m.group(2), 16), int(m.group(3), 16)
            if address >= 0x10000:
                continue  # memory-mapped (the local APIC timer), not an I/O port
            if address == DEBUG_CONSOLE and kind == "write":
                if inside is not None:
                    inside = None  # the closing mark: the run has ended
                if value == 0x0A:
                    if mark.startswith("@@BEGIN "):
                        inside = windows[mark.split()[1]] = dict(io=[], parallel=[])
                    mark = ""
                else:
                    mark += chr(value)
                continue
            if inside is not None:
                inside["io"].append((kind, address, value))
            continue
        m = PARALLEL_OP.search(line)
        if m and inside is not None:
            inside["parallel"].append((m.group(1), int(m.group(2), 16), int(m.group(3), 16)))
    return windows


def decode(accesses):
    """Line levels and ISP traffic from one port's register accesses (offset,
    kind, value). Returns the data-register writes (SCK, reset line), the
    commands (sent and received bytes) and the final levels."""
    data = control = None
    miso = None
    data_writes = []
    bits, replies = [], []
    writes_after_last_edge = []
    for kind, offset, value in accesses:
        if offset == DATA:
            if kind == "write":
                if data is not None and not data & SCK and value & SCK:
                    mosi = ((control ^ CONTROL_INVERTED) & MOSI) if control is not None else None
                    bits.append(mosi)
                    replies.append(miso)
                    miso = None
                    writes_after_last_edge = []
                data_writes.append(value)
                writes_after_last_edge.append(("data", value))
            data = value
        elif offset == CONTROL:
            if kind == "write":
                writes_after_last_edge.append(("control", value))
            control = value
        elif offset == STATUS and kind == "read":
            miso = 1 if value & MISO else 0
    levels = dict(SCK=data & SCK and 1 if data is not None else None,
                  RESET=(data & RESET_LINE) >> 1 if data is not None else None,
                  MOSI=(control ^ CONTROL_INVERTED) & MOSI if control is not None else None)
    return data_writes, bits, replies, writes_after_last_edge, levels


def to_bytes(bits):
    return [int("".join(str(b) for b in bits[i:i + 8]), 2) for i in range(0, len(bits), 8)]


def expected_commands(operation, first_reply):
    enable = [0xAC, 0x53, 0x00]
    if operation == "erase":
        return [enable, [0xAC, 0x04, 0x00]]
    # The presence check at code address 0; no chip answers, so it fails
    # after writing back the byte its first read returned.
    return [enable, [0x01, 0x00, 0x00], [0x02, 0x00, 0xAA], [0x01, 0x00, 0xAA], [0x02, 0x00, first_reply]]


def hexes(command):
    return " ".join(f"{b:02X}" for b in command)


def check_case(name, case, run, window, ports):
    base = case["base"]
    device = ports.get(base, "(no device)")
    print(f"\n== {name}: brovik-cli {case['operation']} on 0x{base:X} ({device}), expected access: {case['access']}")
    if run is None or window is None:
        fail(name, "the run is missing from the console or the trace")
        return
    io = window["io"]
    outside = sorted({port for _, port, _ in io if not base <= port <= base + 2})
    if outside:
        fail(name, "I/O ports outside 0x%X-0x%X touched: %s" % (base, base + 2, ", ".join(f"0x{p:X}" for p in outside)))
    else:
        print(f"  I/O ports touched while brovik-cli ran: only 0x{base:X}-0x{base + 2:X} ({len(io)} accesses)")
    accesses = [(kind, port - base, value) for kind, port, value in io if base <= port <= base + 2]
    if [(k, o, v) for k, o, v in accesses] != window["parallel"]:
        fail(name, "the parallel port's own trace and the I/O trace disagree")
    else:
        print(f"  parallel port trace agrees: {len(window['parallel'])} register accesses")

    said = "\n".join(run["err"])
    expected_status = 0 if case["operation"] == "erase" and case["access"] != "none" else 1
    if run["status"] != expected_status:
        fail(name, f"exit status {run['status']}, expected {expected_status}")
    else:
        print(f"  exit status {run['status']} as expected")

    if case["access"] == "none":
        if accesses:
            fail(name, f"{len(accesses)} register accesses, expected none")
        else:
            print("  no register access at all")
        for words in case.get("said", []):
            words = words.format(device=device)
            if words not in said:
                fail(name, f'message lacks "{words}"')
            else:
                print(f'  message says: "{words}"')
        for words in case.get("unsaid", []) + [CHECK_MESSAGE]:
            if words in said:
                fail(name, f'message says "{words}", which does not belong there')
        # The operation ends at the message: no "Ok", the fault on the status line.
        if any(line.endswith(" Ok") for line in run["out"]) or STATUS_BLANK_FAILED not in run["out"]:
            fail(name, f"status lines {run['out']}: expected no Ok and the fault")
        else:
            print(f'  status line: "{STATUS_BLANK_FAILED}", no Ok')
        return

    control_reads = sum(1 for k, o, _ in accesses if k == "read" and o == CONTROL)
    if case["access"] == "ppdev":
        # ppdev answers control reads from the kernel's copy: no register read.
        if control_reads:
            fail(name, f"{control_reads} control register reads: not the ppdev path")
        else:
            print("  path: ppdev (the control register is never read, the kernel keeps its copy)")
    elif not control_reads:
        fail(name, "no control register reads: not the direct I/O path")
    else:
        print(f"  path: direct I/O ({control_reads} control register reads)")

    data_writes, bits, replies, after_last_edge, levels = decode(accesses)
    # Entry: SCK low, SCK and reset low, reset high, both low.
    entry = [((w & SCK) and 1, (w & RESET_LINE) >> 1) for w in data_writes[:4]]
    if len(entry) < 4 or entry[0][0] != 0 or entry[1:] != [(0, 0), (0, 1), (0, 0)]:
        fail(name, f"entry into programming mode (SCK, reset) per data write: {entry}")
    else:
        print("  entry into programming mode: data writes SCK low; SCK+reset low; reset high; SCK+reset low")
    if len(bits) % 24 != 1 or None in bits:
        fail(name, f"{len(bits)} rising SCK edges: not whole 3-byte commands and one release")
        return
    commands = [to_bytes(bits[i:i + 24]) for i in range(0, len(bits) - 1, 24)]
    received = [to_bytes(replies[i:i + 24]) if None not in replies[i:i + 24] else None
                for i in range(0, len(bits) - 1, 24)]
    first_reply = received[1][2] if len(received) > 1 and received[1] else None
    expected = expected_commands(case["operation"], first_reply)
    print("  decoded ISP commands (MOSI at each rising SCK edge, MSB first):")
    for command, reply in zip(commands, received):
        print(f"    {hexes(command)}   (MISO: {hexes(reply) if reply else '?'})")
    if commands != expected:
        fail(name, "commands differ from the prescribed: " + " | ".join(hexes(c) for c in expected))
    else:
        print(f"  commands are exactly those {case['operation']} prescribes")
    # Release: SCK high (the last edge), then MOSI high, then reset high.
    release = [(reg, ((v ^ CONTROL_INVERTED) & MOSI) if reg == "control" else (v & (SCK | RESET_LINE)))
               for reg, v in after_last_edge]
    if release != [("data", SCK), ("control", 1), ("data", SCK | RESET_LINE)]:
        fail(name, f"release: writes after the last SCK edge were {after_last_edge}")
    else:
        print("  release: SCK high, then MOSI high, then reset high")
    if levels != dict(SCK=1, RESET=1, MOSI=1):
        fail(name, f"lines at the end: {levels}")
    else:
        print("  lines at the end: SCK, reset and MOSI high")
    if case["operation"] == "blank":
        if CHECK_MESSAGE not in said or STATUS_BLANK_FAILED not in run["out"]:
            fail(name, "the chip-not-answering message and status are missing")
        else:
            print(f'  said: "{CHECK_MESSAGE}" (QEMU\'s port is a printer: no chip answers)')
    elif "Erase Ok" not in run["out"]:
        fail(name, '"Erase Ok" missing')


def check_printer_boot(work):
    print("printer boot: QEMU's own ports, no chip answers")
    runs, ports = read_console(work / "console.log")
    windows = read_trace(work / "trace.log")
    print("ports the guest kernel reports: " + ", ".join(f"{d} at 0x{b:X}" for b, d in sorted(ports.items())))
    for name, case in CASES.items():
        check_case(name, case, runs.get(name), windows.get(name), ports)
    return list(CASES)


def check(work, chip_only):
    work = Path(work)
    names = [] if chip_only else check_printer_boot(work)
    names += kernel_port_chip.ChipSuite(work, fail, lambda text: print("  " + text)).check()
    print()
    failed = {line.split(":", 1)[0] for line in failures}
    if failures:
        print(f"{len(failures)} mismatches:")
        for line in failures:
            print("  " + line)
    expected = sum(1 for name in names if name not in failed)
    print(f"kernel port test: {expected} of {len(names)} runs as expected"
          + ("" if "chip files" not in failed else "; the chip files do not hold the last chips"))
    return 0 if not failures else 1


def main():
    if len(sys.argv) in (3, 4) and sys.argv[1] == "check" and sys.argv[3:] in ([], ["--chip-only"]):
        return check(sys.argv[2], sys.argv[3:] == ["--chip-only"])
    if len(sys.argv) == 4 and sys.argv[1] == "change-hex":
        kernel_port_chip.change_hex(sys.argv[2], sys.argv[3])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
