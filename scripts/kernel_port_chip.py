# SPDX-License-Identifier: GPL-2.0-or-later
"""The chip boot of scripts/kernel-port-test.sh, checked from the host.

brovik-cli ran inside the guest against QEMU's host-driver parallel ports,
whose register accesses the preloaded port model (sim/ppdev) answered with a
simulated chip on each port. Read here: the guest's console ("@@" lines of
kernel-port-init.sh), the model's journal of every register access that
reached the port hardware, with the guest's marks and the chips' contents
placed among them (sim/ppdev/WireJournal.h), and the chip files the model
left. Checked per run: exit status, texts, the chip after the run, and for
the Program runs the ISP commands decoded from the wires with their sleeps,
the entry into programming mode and the release of the lines.
"""
import re
import struct
from pathlib import Path

FLASH_SIZE = 8192
ERASED = 0xFF
LPT1, LPT3 = 0, 1                 # the ports' indexes in the journal
SCK, RESET_LINE = 0x01, 0x02      # data register
STROBE = 0x01                     # control register bit of MOSI, inverted onto the pin
MISO = 0x40                       # status register
ENABLE = [0xAC, 0x53, 0x00]
ERASE = [0xAC, 0x04, 0x00]
CHANGED_ADDRESS = 0x0040          # where changed.ihx differs from program.ihx

BYTE_SLEEP_US = 4000              # after each write of the presence check and of Program
ENTRY_STEP_US = 200000            # after each of the four steps of entering programming mode

STATUS_BLANK_FAILED = "Error! Please check your CPU, power supply and printer port."

RECORD = struct.Struct("<IBcBx")


def read_write_code(address, opcode):
    return ((address >> 5) & 0xF8) | opcode


def change_hex(source, target):
    """Writes source, an Intel HEX file, to target with the byte at
    CHANGED_ADDRESS inverted and its record's checksum made right again."""
    lines = []
    for line in Path(source).read_text().split():
        record = bytearray(bytes.fromhex(line[1:]))
        count, address, kind = record[0], record[1] << 8 | record[2], record[3]
        if kind == 0 and address <= CHANGED_ADDRESS < address + count:
            record[4 + CHANGED_ADDRESS - address] ^= 0xFF
            record[-1] = -sum(record[:-1]) & 0xFF
        lines.append(":" + record.hex().upper())
    Path(target).write_text("\n".join(lines) + "\n")


class Journal:
    """The port model's records, and the chips as they were at each mark."""

    def __init__(self, path):
        self.records = Path(path).read_bytes() if Path(path).exists() else b""
        self.windows = {}   # run name: (first record, end record)
        self.chips = {}     # ("BEGIN" or "END", run name): {port: chip bytes}
        chips = {}
        begins = {}
        events = Path(str(path) + ".events")
        for line in events.read_text().splitlines() if events.exists() else []:
            kind, rest = line.split(" ", 1)
            if kind == "chip":
                try:
                    port, index, contents = rest.split(" ")
                    chips[int(port)] = bytes.fromhex(contents)
                except ValueError:
                    # A model that died while writing leaves its last line
                    # cut off; the runs it did not finish are reported missing.
                    continue
            elif kind == "mark":
                index, text = rest.split(" ", 1)
                m = re.match(r"@@(BEGIN|END) (\S+)$", text)
                if not m:
                    continue
                self.chips[(m.group(1), m.group(2))] = dict(chips)
                if m.group(1) == "BEGIN":
                    begins[m.group(2)] = int(index)
                elif m.group(2) in begins:
                    self.windows[m.group(2)] = (begins[m.group(2)], int(index))
        self.last_chips = chips  # as the journal ends

    def window(self, name):
        first, end = self.windows[name]
        return self.records[first * RECORD.size:end * RECORD.size]

    def registers_before(self, name, port):
        """The data and control registers of port as the run found them: the
        last writes before its first record (QEMU's reset values before any)."""
        first = self.windows[name][0] * RECORD.size
        found = {}
        for kind, initial in ((b"W", 0xFF), (b"C", 0x0C)):
            pattern = bytes([port]) + kind
            position = self.records.rfind(pattern, 0, first)
            while position >= 0 and position % RECORD.size != 4:
                position = self.records.rfind(pattern, 0, position)
            found[kind] = self.records[position + 2] if position >= 0 else initial
        return found[b"W"], found[b"C"]


class Wire:
    """The ISP traffic of one port during one run, decoded from the journal:
    the commands (sent and received bytes, the times of their first and last
    access), each data register write (time, SCK, reset-control), and the
    line levels (SCK, MOSI, reset-control) after each write, with the number
    of commands complete at that moment."""

    def __init__(self, records, port, data, control):
        self.commands = []
        self.data_writes = []
        self.levels = []
        bits, samples = [], []
        miso = None
        start = None
        for time, record_port, kind, value in RECORD.iter_unpack(records):
            if record_port != port:
                continue
            if start is None:
                start = time
            if kind == b"S":
                miso = 1 if value & MISO else 0
            elif kind == b"C":
                control = value
            elif kind == b"I" and value:
                data = 0xFF  # the data lines turned to input float high
            elif kind == b"W":
                rising = not data & SCK and value & SCK
                falling = data & SCK and not value & SCK
                reset_changed = (data ^ value) & RESET_LINE
                if rising and not value & RESET_LINE and not reset_changed:
                    bits.append(0 if control & STROBE else 1)
                    samples.append(miso)
                    miso = None
                data = value
                self.data_writes.append((time, value & SCK and 1, (value & RESET_LINE) >> 1))
                if reset_changed:
                    # Programming mode entered or left: a command begins after it.
                    bits, samples, start = [], [], None
                elif falling and len(bits) == 24:
                    self.commands.append(dict(sent=to_bytes(bits), received=to_bytes(samples),
                                              start=start, end=time))
                    bits, samples, start = [], [], None
            if kind in (b"W", b"C"):
                self.levels.append((len(self.commands), data & SCK and 1, 0 if control & STROBE else 1,
                                    (data & RESET_LINE) >> 1))


def to_bytes(bits):
    if None in bits:
        return None
    return [int("".join(str(b) for b in bits[i:i + 8]), 2) for i in range(0, len(bits), 8)]


def hexes(command):
    return " ".join(f"{b:02X}" for b in command) if command else "?"


class ChipSuite:
    def __init__(self, work, fail, note):
        self.work = Path(work)
        self.fail = fail
        self.note = note
        self.program = (self.work / "program.bin").read_bytes()
        self.long = (self.work / "long.bin").read_bytes()
        self.journal = Journal(self.work / "wire.journal")
        self.runs, self.files = read_console(self.work / "chip-console.log")

    def image(self, binary):
        return binary + bytes([ERASED]) * (FLASH_SIZE - len(binary))

    def chip(self, mark, name, port):
        chip = self.journal.chips.get((mark, name), {}).get(port)
        return chip if chip is None else (chip[:FLASH_SIZE], chip[FLASH_SIZE])

    # Each case: its name, the ports it must work, and its checks.
    def cases(self):
        programmed = self.image(self.program)
        blank = bytes([ERASED]) * FLASH_SIZE
        return [
            ("chip-auto", LPT1, 0, ["Erase Ok", "Blank Ok", "Program Flash Ok", "Verfify Ok"], (programmed, 0)),
            ("chip-verify", LPT1, 0, ["Verfify Ok"], (programmed, 0)),
            ("chip-read", LPT1, 0, ["Read Flash Ok"], (programmed, 0)),
            ("chip-verify-changed", LPT1, 1, ["Verify error !!!"], (programmed, 0)),
            ("chip-blank-programmed", LPT1, 1, ["Not Blank."], (programmed, 0)),
            ("chip-lock-2", LPT1, 0, ["Lock Bit2 Ok"], (programmed, 0x02)),
            ("chip-read-locked", LPT1, 1, [STATUS_BLANK_FAILED], (programmed, 0x02)),
            ("chip-erase", LPT1, 0, ["Erase Ok"], (blank, 0)),
            ("chip-blank-erased", LPT1, 0, ["Blank Ok"], (blank, 0)),
            ("chip-program-stopped", LPT1, 130, [], None),
            ("lpt3-chip-auto", LPT3, 0, ["Erase Ok", "Blank Ok", "Program Flash Ok", "Verfify Ok"], (programmed, 0)),
            ("direct-chip-erase", LPT1, 0, ["Erase Ok"], (blank, 0)),
            ("direct-chip-program", LPT1, 0, ["Program Flash Ok"], (programmed, 0)),
            ("direct-chip-verify", LPT1, 0, ["Verfify Ok"], (programmed, 0)),
        ]

    def check(self):
        print("\nchip boot: the preloaded port model answers at 0x378 (LPT1, journal port 0) and 0xD010 (port 1)")
        names = []
        for name, port, status, texts, chip in self.cases():
            names.append(name)
            self.check_case(name, port, status, texts, chip)
        self.check_chip_files()
        return names

    def check_case(self, name, port, status, texts, expected_chip):
        path = "direct I/O" if name.startswith("direct-") else "ppdev"
        print(f"\n== {name}: brovik-cli {' '.join(self.runs.get(name, {}).get('args', []))} ({path}, chip on port {port})")
        run = self.runs.get(name)
        if run is None or name not in self.journal.windows:
            self.fail(name, "the run is missing from the console or the journal")
            return
        if run["status"] != status:
            self.fail(name, f"exit status {run['status']}, expected {status}; said: {' | '.join(run['err'][-3:])}")
        else:
            self.note(f"exit status {status} as expected")
        for text in texts:
            if text not in run["out"]:
                self.fail(name, f'status text "{text}" missing; last texts: {" | ".join(run["out"][-3:])}')
        if texts and run["out"] and run["out"][-1] != texts[-1]:
            self.fail(name, f'the last status text is "{run["out"][-1]}", expected "{texts[-1]}"')
        elif texts:
            self.note(f'texts: {", ".join(texts)}')
        other = LPT3 if port == LPT1 else LPT1
        window = self.journal.window(name)
        touched = window[4::RECORD.size].count(other)
        if touched:
            self.fail(name, f"{touched} register accesses reached the other port")
        before, after = self.chip("BEGIN", name, other), self.chip("END", name, other)
        if before != after:
            self.fail(name, "the chip on the other port changed")
        else:
            self.note(f"{window[4::RECORD.size].count(port)} register accesses on its port, none on the other, "
                      "whose chip is untouched")
        chip = self.chip("END", name, port)
        if chip is None:
            self.fail(name, "no chip state at the end of the run")
            return
        if expected_chip is not None:
            self.compare_chip(name, chip, expected_chip)
        getattr(self, "check_" + name.replace("-", "_"), lambda *args: None)(name, run, chip)

    def compare_chip(self, name, chip, expected):
        flash, lock = chip
        want_flash, want_lock = expected
        differing = [a for a in range(FLASH_SIZE) if flash[a] != want_flash[a]]
        if differing:
            a = differing[0]
            self.fail(name, f"chip differs at {len(differing)} addresses, first 0x{a:04X}: "
                            f"0x{flash[a]:02X}, expected 0x{want_flash[a]:02X}")
        if lock != want_lock:
            self.fail(name, f"lock bits 0x{lock:02X}, expected 0x{want_lock:02X}")
        if not differing and lock == want_lock:
            what = "blank" if want_flash == bytes([ERASED]) * FLASH_SIZE else \
                f"the program's {len(self.program)} bytes (srec_cat's binary), 0xFF above"
            self.note(f"chip afterwards: {what}, lock bits 0x{lock:02X}")

    def check_chip_read(self, name, run, chip):
        image = self.read_hex(name)
        if image is None:
            return
        if image != chip[0]:
            self.fail(name, "the file read differs from the chip")
        else:
            self.note("the file written holds exactly the chip's 8192 bytes")

    def check_chip_read_locked(self, name, run, chip):
        if self.files.get(name, {}).get("present"):
            self.fail(name, "a file was written although the chip did not answer")
        else:
            self.note("no file was written")

    def check_chip_verify_changed(self, name, run, chip):
        expected = f"first difference at 0x{CHANGED_ADDRESS:04X}"
        if not any(expected in line for line in run["err"]):
            self.fail(name, f'"{expected}" not said: {" | ".join(run["err"])}')
        else:
            self.note(f'said: "{expected}"')

    def check_chip_program_stopped(self, name, run, chip):
        said = " ".join(run["err"])
        m = re.search(r"program stopped at address 0x([0-9A-F]{4}) \(SIGINT\)", said)
        if not m:
            self.fail(name, f"no stop address said: {said}")
            return
        stop = int(m.group(1), 16)
        want = self.long[:stop] + bytes([ERASED]) * (FLASH_SIZE - stop)
        flash = chip[0]
        if flash != want:
            a = next(a for a in range(FLASH_SIZE) if flash[a] != want[a])
            self.fail(name, f"stopped at 0x{stop:04X}, but the chip differs from the program's first {stop} bytes "
                            f"at 0x{a:04X}")
        elif not 0 < stop < len(self.long):
            self.fail(name, f"stopped at 0x{stop:04X}, not inside the program")
        else:
            self.note(f'said "program stopped at address 0x{stop:04X} (SIGINT)"; the chip holds exactly the '
                      f"program's bytes below it, 0xFF from there on")

    def check_chip_auto(self, name, run, chip):
        self.check_auto_wire(name, LPT1)

    def check_lpt3_chip_auto(self, name, run, chip):
        self.check_auto_wire(name, LPT3)

    def check_direct_chip_program(self, name, run, chip):
        self.check_program_wire(name, LPT1)

    def read_hex(self, name):
        entry = self.files.get(name)
        if not entry or not entry["present"]:
            self.fail(name, "no file was written")
            return None
        image = bytearray([ERASED]) * FLASH_SIZE
        for line in entry["lines"]:
            record = bytes.fromhex(line.strip()[1:])
            if record[3] == 0:
                address = record[1] << 8 | record[2]
                image[address:address + record[0]] = record[4:4 + record[0]]
        return bytes(image)

    def decode(self, name, port):
        data, control = self.journal.registers_before(name, port)
        return Wire(self.journal.window(name), port, data, control)

    def check_program_wire(self, name, port):
        """A Program run on the wires: presence check, programming mode,
        one write per byte with its sleep, release."""
        wire = self.decode(name, port)
        last = len(self.program) - 1
        saved = ERASED  # the run erased before it
        expected = [ENABLE, [0x01, 0x00, 0x00], [0x02, 0x00, 0xAA], [0x01, 0x00, 0xAA], [0x02, 0x00, saved], ENABLE]
        expected += [[read_write_code(a, 0x02), a & 0xFF, self.program[a]] for a in range(last + 1)]
        sent = [c["sent"] for c in wire.commands]
        self.note(f"wire: {len(wire.commands)} ISP commands decoded (MOSI at each rising SCK edge, MSB first):")
        for command in wire.commands[:7]:
            self.note(f"  {hexes(command['sent'])}   (MISO: {hexes(command['received'])})")
        self.note(f"  ... {len(wire.commands) - 7} more, the last {hexes(sent[-1]) if sent else '?'}")
        if sent != expected:
            at = next((i for i, (a, b) in enumerate(zip(sent, expected)) if a != b), min(len(sent), len(expected)))
            self.fail(name, f"command {at} is {hexes(sent[at]) if at < len(sent) else 'missing'}, "
                            f"expected {hexes(expected[at]) if at < len(expected) else 'none'}")
            return
        self.note(f"commands in the prescribed order: presence check at address 0, programming enable, "
                  f"write code byte for 0x0000 to 0x{last:04X} with the program's bytes")
        replies = [wire.commands[1]["received"], wire.commands[3]["received"]]
        if None in replies or replies[0][2] != saved or replies[1][2] != 0xAA:
            self.fail(name, f"the chip's replies to the presence check: {hexes(replies[0])} / {hexes(replies[1])}")
        else:
            self.note(f"the chip answered the presence check: 0x{saved:02X} read first, 0xAA read back")
        self.check_sleeps(name, wire)
        self.check_entries(name, wire)
        self.check_release(name, wire)

    def check_sleeps(self, name, wire):
        commands = wire.commands
        release_start = next((t for t, _, _ in wire.data_writes if t > commands[-1]["end"]), None)
        gaps = []
        for i, command in enumerate(commands):
            if command["sent"][0] & 0x07 not in (0x01, 0x02) or command["sent"][0] == 0xAC:
                continue
            after = commands[i + 1]["start"] if i + 1 < len(commands) else release_start
            if after is None:
                continue
            gaps.append((after - command["end"], i))
        short = [(gap, i) for gap, i in gaps if gap < BYTE_SLEEP_US]
        if short:
            gap, i = short[0]
            self.fail(name, f"{len(short)} code-byte commands without their {BYTE_SLEEP_US // 1000} ms sleep, "
                            f"the first command {i} ({hexes(commands[i]['sent'])}) followed after {gap} us")
        else:
            self.note(f"a sleep of at least {BYTE_SLEEP_US // 1000} ms after each of the {len(gaps)} code-byte commands "
                      f"(shortest {min(g for g, _ in gaps) / 1000:.1f} ms)")

    def check_entries(self, name, wire):
        """Before each programming enable: the entry's data writes (SCK and
        reset-control levels) and its four 200 ms sleeps."""
        entries = [i for i, c in enumerate(wire.commands) if c["sent"] == ENABLE]
        for i in entries:
            since = wire.commands[i - 1]["end"] if i else wire.data_writes[0][0]
            steps = [(sck, reset) for t, sck, reset in wire.data_writes if since <= t < wire.commands[i]["start"]]
            took = wire.commands[i]["start"] - since
            pattern = [(0, 1), (0, 0), (0, 1), (0, 0)]
            if len(steps) < 2 or steps != pattern[len(pattern) - len(steps):] or took < 4 * ENTRY_STEP_US:
                self.fail(name, f"entry before command {i}: (SCK, reset) per write {steps}, {took / 1000:.0f} ms")
                return
        self.note(f"{len(entries)} entries into programming mode: reset-control pulsed high and low with SCK low, "
                  f"at least 800 ms before programming enable")

    def check_release(self, name, wire):
        after = [levels for complete, *levels in wire.levels if complete == len(wire.commands)]
        after = after[1:]  # the falling edge that ended the last command
        # The writes QEMU leaves out (a line already at its level) are missing.
        mosi = after[0][1] if after else None
        expected = [[1, mosi, 0]] + ([[1, 1, 0]] if mosi == 0 else []) + [[1, 1, 1]]
        if after != expected:
            self.fail(name, f"release: (SCK, MOSI, reset) after each write {after}, expected {expected}")
        else:
            self.note("release: SCK high, then MOSI high, then reset-control high; nothing after it")

    def check_auto_wire(self, name, port):
        """Auto on the wires: erase, presence check and 8192 blank reads,
        presence check and the writes, the verify reads."""
        wire = self.decode(name, port)
        last = len(self.program) - 1
        check = [ENABLE, [0x01, 0x00, 0x00], [0x02, 0x00, 0xAA], [0x01, 0x00, 0xAA], [0x02, 0x00, ERASED]]
        expected = [ENABLE, ERASE] + check + [ENABLE]
        expected += [[read_write_code(a, 0x01), a & 0xFF, 0x00] for a in range(FLASH_SIZE)]
        expected += check + [ENABLE] + [[read_write_code(a, 0x02), a & 0xFF, self.program[a]] for a in range(last + 1)]
        expected += [ENABLE] + [[read_write_code(a, 0x01), a & 0xFF, 0xFF] for a in range(last + 1)]
        sent = [c["sent"] for c in wire.commands]
        if sent != expected:
            at = next((i for i, (a, b) in enumerate(zip(sent, expected)) if a != b), min(len(sent), len(expected)))
            self.fail(name, f"wire: command {at} of {len(sent)} is {hexes(sent[at]) if at < len(sent) else 'missing'}, "
                            f"expected {hexes(expected[at]) if at < len(expected) else 'none'}")
            return
        reads = wire.commands[2 + 5 + 1:2 + 5 + 1 + FLASH_SIZE] + wire.commands[-(last + 1):]
        answers = [c["received"][2] if c["received"] else None for c in reads]
        want = [ERASED] * FLASH_SIZE + list(self.program)
        if answers != want:
            self.fail(name, "wire: the bytes the chip sent back differ from what it held")
        else:
            self.note(f"wire: {len(sent)} ISP commands in the prescribed order (erase; presence check, "
                      f"8192 blank reads; presence check, {last + 1} writes; {last + 1} verify reads), "
                      "and every byte read back on MISO is the chip's")

    def check_chip_files(self):
        for port, file in ((LPT1, "chip-lpt1.bin"), (LPT3, "chip-lpt3.bin")):
            path = self.work / file
            last = self.journal.last_chips.get(port)
            # A missing chip file is a blank chip.
            kept = path.read_bytes() if path.exists() else bytes([ERASED]) * FLASH_SIZE + b"\0"
            if kept != last:
                self.fail("chip files", f"{file} does not hold the chip as it was at the end")
            else:
                self.note(f"{file}: the chip as the last run left it ({len(last)} bytes)")


def read_console(path):
    runs, files = {}, {}
    current = None
    for line in open(path, errors="replace") if Path(path).exists() else []:
        line = line.rstrip("\r\n")
        if line.startswith("@@CASE "):
            m = re.match(r"@@CASE (\S+) status=(\d+) args=(.*)$", line)
            current = runs[m.group(1)] = dict(status=int(m.group(2)), args=m.group(3).split(), out=[], err=[])
        elif line.startswith("@@OUT ") and current is not None:
            current["out"].append(line[6:])
        elif line.startswith("@@ERR ") and current is not None:
            current["err"].append(line[6:])
        elif line.startswith("@@FILE "):
            _, name, state = line.split()
            current = None
            files[name] = dict(present=state == "present", lines=[])
            hex_lines = files[name]["lines"]
        elif line.startswith("@@HEX "):
            hex_lines.append(line[6:])
    return runs, files
