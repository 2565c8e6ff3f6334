#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Draws the adapter's schematic (docs/adapter.svg) and writes the README's
wiring table, both from docs/wiring.toml.

    scripts/wiring-docs.py           write both
    scripts/wiring-docs.py --check   fail unless both are as written, and
                                     unless the README's table and the
                                     drawing's labels agree with each other
"""
import argparse
import difflib
import pathlib
import re
import sys
import tomllib
import xml.etree.ElementTree as ET

TABLE_BEGIN = "<!-- made by scripts/wiring-docs.py from docs/wiring.toml: edit that file, then run the script -->"
TABLE_END = "<!-- end of the part made by scripts/wiring-docs.py -->"
SVG_NS = "http://www.w3.org/2000/svg"


class WiringError(Exception):
    pass


# ---------------------------------------------------------------- the data

def load(root):
    with open(root / "docs/wiring.toml", "rb") as f:
        data = tomllib.load(f)
    pinout = data["pinout"]
    if len(pinout) != 40 or len(set(pinout)) != 40:
        raise WiringError("docs/wiring.toml: the pinout needs 40 different pin names, "
                          f"it has {len(pinout)} ({len(set(pinout))} different)")
    for row in data["connection"]:
        if row["chip_pin"] not in pinout:
            raise WiringError(f"docs/wiring.toml: \"{row['chip_pin']}\" is not a pin of the pinout")
        for part in row["through"]:
            if part not in data["parts"]:
                raise WiringError(f"docs/wiring.toml: part {part} of {row['chip_pin']} has no value in [parts]")
    return data


def pin_number(data, name):
    return data["pinout"].index(name) + 1


def part_text(data, part):
    return f"{part} {data['parts'][part]}"


# ---------------------------------------------------------------- the README

def readme_block(data):
    lines = [
        TABLE_BEGIN,
        "",
        "| printer-port pin | signal | through | chip pin (40-pin DIP) |",
        "|---|---|---|---|",
    ]
    for row in data["connection"]:
        pc = f"{row['pc_pin']} ({row['pc_line']})" if "pc_pin" in row else ""
        through = ", ".join(part_text(data, p) for p in row["through"]) or "direct"
        chip = f"{pin_number(data, row['chip_pin'])} ({row['chip_pin']})"
        lines.append(f"| {pc} | {row['signal']} | {through} | {chip} |")
    lines += [
        "",
        "Parts: " + "; ".join(part_text(data, p) for p in data["parts"]) + ".",
        "",
        f"Pin numbers as in {data['pinout_source']}.",
        "",
        TABLE_END,
    ]
    return "\n".join(lines)


def replace_block(readme, block):
    start = readme.find(TABLE_BEGIN)
    end = readme.find(TABLE_END)
    if start < 0 or end < start:
        raise WiringError("README.md: the markers of the wiring table are missing")
    return readme[:start] + block + readme[end + len(TABLE_END):]


# ---------------------------------------------------------------- the drawing

PITCH = 36
FIRST_PIN_Y = 190
BODY_LEFT, BODY_RIGHT = 600, 740
STUB = 40
PC_TERMINAL_X = 190
WIDTH, HEIGHT = 1000, 1040


class Drawing:
    def __init__(self):
        self.items = []

    def add(self, text):
        self.items.append(text)

    def wire(self, *points, net):
        pts = " ".join(f"{x},{y}" for x, y in points)
        self.add(f'<polyline class="wire" data-net="{net}" points="{pts}"/>')

    def dot(self, x, y):
        self.add(f'<circle class="junction" cx="{x}" cy="{y}" r="4"/>')

    def text(self, x, y, content, size=13, anchor="start", cls=None, weight=None):
        extra = f' class="{cls}"' if cls else ""
        extra += f' font-weight="{weight}"' if weight else ""
        content = content.replace("&", "&amp;").replace("<", "&lt;")
        self.add(f'<text x="{x}" y="{y}" font-size="{size}" text-anchor="{anchor}"{extra}>{content}</text>')

    def resistor_h(self, x, y, label):
        self.add(f'<rect class="part" x="{x}" y="{y - 7}" width="44" height="14"/>')
        self.text(x + 22, y - 12, label, size=11, anchor="middle")

    def resistor_v(self, x, y, label):
        self.add(f'<rect class="part" x="{x - 7}" y="{y}" width="14" height="44"/>')
        self.text(x + 12, y + 26, label, size=11)

    def capacitor_v(self, x, y, label, left=False):
        self.add(f'<rect x="{x - 10}" y="{y - 4}" width="20" height="8" fill="#fff"/>')
        self.add(f'<line class="plate" x1="{x - 10}" y1="{y - 4}" x2="{x + 10}" y2="{y - 4}"/>')
        self.add(f'<line class="plate" x1="{x - 10}" y1="{y + 4}" x2="{x + 10}" y2="{y + 4}"/>')
        if left:
            self.text(x - 14, y + 4, label, size=11, anchor="end")
        else:
            self.text(x + 14, y + 4, label, size=11)

    def crystal_v(self, x, top, bottom, label):
        """A crystal between two horizontal wires, labelled above the upper."""
        mid = (top + bottom) / 2
        self.add(f'<line class="plate" x1="{x - 9}" y1="{mid - 9}" x2="{x + 9}" y2="{mid - 9}"/>')
        self.add(f'<line class="plate" x1="{x - 9}" y1="{mid + 9}" x2="{x + 9}" y2="{mid + 9}"/>')
        self.add(f'<rect class="part" x="{x - 6}" y="{mid - 5}" width="12" height="10"/>')
        self.text(x + 6, top - 8, label, size=11, anchor="end")

    def ground(self, x, y):
        for i, half in enumerate((10, 6, 2)):
            self.add(f'<line class="wire" x1="{x - half}" y1="{y + 4 * i}" x2="{x + half}" y2="{y + 4 * i}"/>')

    def npn(self, x, y, label):
        """A transistor whose base bar sits at x; returns the base, collector
        and emitter ends."""
        self.add(f'<circle class="part" cx="{x + 10}" cy="{y}" r="22"/>')
        self.add(f'<line class="wire" x1="{x}" y1="{y - 12}" x2="{x}" y2="{y + 12}" stroke-width="3"/>')
        collector, emitter = (x + 22, y - 22), (x + 22, y + 22)
        self.wire((x, y - 6), collector, net="Q1")
        self.wire((x, y + 6), emitter, net="Q1")
        # The emitter's arrow points out of the transistor.
        ex, ey = emitter
        self.add(f'<polygon points="{ex},{ey} {ex - 10},{ey - 2} {ex - 4},{ey - 8}"/>')
        # A long label wraps before its parenthesis, clear of the chip's pins.
        first, _, rest = label.partition(" (")
        self.text(x + 36, y + 4 if not rest else y - 2, first, size=11)
        if rest:
            self.text(x + 36, y + 12, "(" + rest, size=11)
        return (x - 14, y), collector, emitter

    def svg(self, title):
        head = [
            '<?xml version="1.0" encoding="UTF-8"?>',
            "<!-- SPDX-License-Identifier: GPL-2.0-or-later -->",
            "<!-- Made by scripts/wiring-docs.py from docs/wiring.toml; edit those. -->",
            f'<svg xmlns="{SVG_NS}" width="{WIDTH}" height="{HEIGHT}" viewBox="0 0 {WIDTH} {HEIGHT}"'
            ' font-family="DejaVu Sans, sans-serif">',
            f"  <title>{title}</title>",
            "  <style>.wire, .plate { stroke: #000; stroke-width: 2; fill: none }"
            " .part { stroke: #000; stroke-width: 2; fill: #fff }"
            " .junction { fill: #000 } .chip { fill: #f4f0e0; stroke: #000; stroke-width: 2 }"
            " .connector { fill: #e8eef6; stroke: #000; stroke-width: 2 }</style>",
            f'  <rect width="{WIDTH}" height="{HEIGHT}" fill="#fff"/>',
        ]
        return "\n".join(head + ["  " + item for item in self.items] + ["</svg>", ""])


def chip_pin_end(number):
    """The outer end of a pin's stub: pins 1-20 on the left from the top,
    21-40 on the right from the bottom."""
    if number <= 20:
        return BODY_LEFT - STUB, FIRST_PIN_Y + (number - 1) * PITCH
    return BODY_RIGHT + STUB, FIRST_PIN_Y + (40 - number) * PITCH


def vertical_with_hops(d, x, top, bottom, crossings, net):
    """A vertical wire that hops over the horizontal wires at crossings."""
    parts = [f"M {x} {top}"]
    for y in sorted(crossings):
        parts.append(f"L {x} {y - 6} A 6 6 0 0 0 {x} {y + 6}")
    parts.append(f"L {x} {bottom}")
    d.add(f'<path class="wire" data-net="{net}" d="{" ".join(parts)}"/>')


def draw(data):
    d = Drawing()
    rows = data["connection"]
    pins = {row["chip_pin"]: pin_number(data, row["chip_pin"]) for row in rows}

    d.text(WIDTH / 2, 34, "brovik programming adapter: PC printer port to a 40-pin 8051-family chip",
           size=18, anchor="middle", weight="bold")
    d.text(WIDTH / 2, 58, "The PC drives SCK, MOSI and the reset control; the chip answers on MISO. "
           "The target has its own 5 V supply.", size=13, anchor="middle")

    # The chip with all 40 pins, numbered and named.
    body_top, body_bottom = FIRST_PIN_Y - 22, FIRST_PIN_Y + 19 * PITCH + 22
    d.add(f'<rect class="chip" x="{BODY_LEFT}" y="{body_top}" width="{BODY_RIGHT - BODY_LEFT}"'
          f' height="{body_bottom - body_top}"/>')
    middle = (BODY_LEFT + BODY_RIGHT) / 2
    d.add(f'<path class="wire" d="M {middle - 12} {body_top} A 12 12 0 0 0 {middle + 12} {body_top}"/>')
    d.text(middle, body_bottom + 22, "8051-family chip, 40-pin DIP, seen from above", size=12, anchor="middle")
    for number, name in enumerate(data["pinout"], start=1):
        x, y = chip_pin_end(number)
        inner = BODY_LEFT if number <= 20 else BODY_RIGHT
        d.add(f'<line class="wire" x1="{x}" y1="{y}" x2="{inner}" y2="{y}"/>')
        d.text((x + inner) / 2, y - 5, str(number), size=11, anchor="middle", cls="chip-pin-number")
        if number <= 20:
            d.text(inner + 6, y + 4, name, size=12, cls="chip-pin-name")
        else:
            d.text(inner - 6, y + 4, name, size=12, anchor="end", cls="chip-pin-name")

    # The PC's plug: one terminal per connection that has a PC pin.
    pc_rows = [row for row in rows if "pc_pin" in row]
    reset_y = chip_pin_end(pins["RST"])[1] + 2 * PITCH
    pc_y = {}
    for row in pc_rows:
        if row["kind"] == "reset-inverter":
            pc_y[row["pc_pin"]] = reset_y
        else:
            pc_y[row["pc_pin"]] = chip_pin_end(pins[row["chip_pin"]])[1]
    box_top, box_bottom = min(pc_y.values()) - 30, max(pc_y.values()) + 30
    d.add(f'<rect class="connector" x="40" y="{box_top}" width="{PC_TERMINAL_X - 40}" height="{box_bottom - box_top}"/>')
    d.text(115, box_top - 26, "PC printer port", size=13, anchor="middle", weight="bold")
    d.text(115, box_top - 10, "25-pin plug", size=12, anchor="middle")
    for row in pc_rows:
        y = pc_y[row["pc_pin"]]
        d.text(PC_TERMINAL_X - 10, y + 5, row["pc_pin"], size=13, anchor="end", cls="pc-pin", weight="bold")
        d.text(50, y + 5, row["pc_line"], size=11)
        d.add(f'<circle class="part" cx="{PC_TERMINAL_X}" cy="{y}" r="4"/>')

    # The pull-up to +5 V hops over the series wires.
    signal_ys = [chip_pin_end(pins[row["chip_pin"]])[1] for row in rows if row["kind"] == "series"]
    vcc_rail_y = 100
    vcc_nodes = []
    for row in rows:
        kind, pin = row["kind"], pins[row["chip_pin"]]
        stub_x, stub_y = chip_pin_end(pin)
        net = row["chip_pin"]
        if kind == "series":
            d.wire((PC_TERMINAL_X, stub_y), (stub_x, stub_y), net=net)
            d.resistor_h(270, stub_y, part_text(data, row["through"][0]))
            d.text(440, stub_y - 6, row["signal"].split(",")[0], size=12, cls="signal")
        elif kind == "reset-inverter":
            base_resistor, _, pull_up = row["through"]
            base, collector, emitter = d.npn(330, reset_y, part_text(data, "Q1"))
            d.wire((PC_TERMINAL_X, reset_y), base, (330, reset_y), net="reset-control")
            d.resistor_h(230, reset_y, part_text(data, base_resistor))
            node_x = collector[0]
            d.wire(collector, (node_x, stub_y), (stub_x, stub_y), net=net)
            d.dot(node_x, stub_y)
            d.text(440, stub_y - 6, "RST, active high", size=12, cls="signal")
            pc_pin = row["pc_pin"]
            for i, line in enumerate((f"pin {pc_pin} low: Q1 off,", "RST high: programming mode", "",
                                      f"pin {pc_pin} high: Q1 on,", "RST low: the chip runs")):
                if line:
                    d.text(366, reset_y + 54 + 15 * i, line, size=11)
            vertical_with_hops(d, node_x, vcc_rail_y, stub_y, signal_ys, net="VCC")
            d.resistor_v(node_x, vcc_rail_y + 60, part_text(data, pull_up))
            vcc_nodes.append(node_x)
            ground_y = chip_pin_end(pins["GND"])[1]
            d.wire(emitter, (emitter[0], ground_y), net="GND")
            d.dot(emitter[0], ground_y)
        elif kind == "ground":
            d.wire((PC_TERMINAL_X, stub_y), (stub_x, stub_y), net=net)
            d.dot(250, stub_y)
            d.wire((250, stub_y), (250, stub_y + 18), net=net)
            d.ground(250, stub_y + 18)
        elif kind == "crystal":
            # The crystal stands between the two pins' wires; each capacitor
            # hangs from its pin's wire to the ground wire below, the upper
            # pin's further left so that the two do not cross.
            xtal_x, ground_y = 520, chip_pin_end(pins["GND"])[1]
            upper = pin == min(pins["XTAL1"], pins["XTAL2"])
            column = 430 if upper else 470
            d.wire((stub_x, stub_y), (column, stub_y), (column, ground_y), net=net)
            d.dot(xtal_x, stub_y)
            d.dot(column, ground_y)
            cap = row["through"][1]
            lower_y = max(chip_pin_end(pins[name])[1] for name in ("XTAL1", "XTAL2"))
            cap_y = (lower_y + ground_y) / 2
            d.capacitor_v(column, cap_y, part_text(data, cap), left=upper)
            if upper:
                other = chip_pin_end(pins["XTAL1" if row["chip_pin"] == "XTAL2" else "XTAL2"])[1]
                d.wire((xtal_x, stub_y), (xtal_x, other), net="X1")
                d.crystal_v(xtal_x, stub_y, other, part_text(data, "X1"))
        elif kind == "supply":
            column = stub_x + (30 if pin == 40 else 70)
            d.wire((stub_x, stub_y), (column, stub_y), (column, vcc_rail_y), net="VCC")
            vcc_nodes.append(column)
            for cap in row["through"]:
                cap_x = WIDTH - 90
                d.wire((cap_x, vcc_rail_y), (cap_x, vcc_rail_y + 80), net="VCC")
                d.capacitor_v(cap_x, vcc_rail_y + 50, part_text(data, cap))
                d.ground(cap_x, vcc_rail_y + 80)
                vcc_nodes.append(cap_x)

    right = WIDTH - 40
    d.wire((min(vcc_nodes), vcc_rail_y), (right, vcc_rail_y), net="VCC")
    for x in vcc_nodes:
        if x != min(vcc_nodes):
            d.dot(x, vcc_rail_y)
    d.add(f'<circle class="part" cx="{right}" cy="{vcc_rail_y}" r="5"/>')
    d.text(right, vcc_rail_y - 14, "+5 V of the target's supply", size=12, anchor="end", weight="bold")

    notes_y = HEIGHT - 92
    d.text(40, notes_y, "Parts: " + "; ".join(part_text(data, p) for p in data["parts"]) + ".", size=12)
    d.text(40, notes_y + 20, "A dot joins wires; a wire that hops over another is not joined to it. "
           "All ground symbols are the one ground of PC pins 18-25.", size=12)
    d.text(40, notes_y + 40, "Keep the cable short (at most about a metre). The printer port cannot power the target.",
           size=12)
    d.text(40, notes_y + 60, f"Pin numbers as in {data['pinout_source']}.", size=12)
    return d.svg("brovik programming adapter: printer-port pins to the chip's pins")


# ---------------------------------------------------------------- the check

def readme_rows(readme):
    """(printer-port pin or None, parts between, chip pin number, chip pin
    name) of each row of the README's wiring table."""
    start, end = readme.find(TABLE_BEGIN), readme.find(TABLE_END)
    if start < 0 or end < start:
        raise WiringError("README.md: the markers of the wiring table are missing")
    rows = []
    for line in readme[start:end].splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 4 or cells[0] in ("printer-port pin", "---"):
            continue
        chip = re.fullmatch(r"(\d+) \((.+)\)", cells[3])
        if not chip:
            raise WiringError(f"README.md: cannot read the chip pin \"{cells[3]}\"")
        pc = cells[0].split(" ")[0] if cells[0] else None
        rows.append((pc, cells[2], int(chip.group(1)), chip.group(2)))
    return rows


def svg_labels(svg):
    """The drawing's chip pins (number to name, by the stub each label sits
    on), its PC terminals (pin to y) and its wires (lists of points)."""
    tree = ET.fromstring(svg)
    ns = {"s": SVG_NS}
    numbers, names = {}, {}
    pc = {}
    for t in tree.iter(f"{{{SVG_NS}}}text"):
        x, y = float(t.get("x")), float(t.get("y"))
        if t.get("class") == "chip-pin-number":
            numbers[(x < BODY_LEFT, round(y + 5))] = int(t.text)
        elif t.get("class") == "chip-pin-name":
            names[(x < (BODY_LEFT + BODY_RIGHT) / 2, round(y - 4))] = t.text
        elif t.get("class") == "pc-pin":
            pc[t.text] = round(y - 5)
    chip = {number: names.get(key) for key, number in numbers.items()}
    wires = []
    for w in tree.findall(".//s:polyline[@class='wire']", ns):
        wires.append([tuple(float(v) for v in p.split(",")) for p in w.get("points").split()])
    return chip, pc, wires


def check_agreement(readme, svg):
    """The README's table against the drawing, each read on its own."""
    faults = []
    chip, pc, wires = svg_labels(svg)
    rows = readme_rows(readme)
    for pc_pin, through, number, name in rows:
        if chip.get(number) != name:
            faults.append(f"README.md says chip pin {number} is {name}; the drawing names it {chip.get(number)}")
        stub = chip_pin_end(number)
        if not any(stub in (w[0], w[-1]) for w in wires):
            faults.append(f"the drawing has no wire on chip pin {number}")
        if pc_pin is None:
            continue
        if pc_pin not in pc:
            faults.append(f"README.md lists printer-port pin {pc_pin}; the drawing has no such terminal")
            continue
        start = (PC_TERMINAL_X, pc[pc_pin])
        from_terminal = [w for w in wires if w[0] == start]
        if not from_terminal:
            faults.append(f"the drawing's printer-port pin {pc_pin} has no wire")
        # Through resistors the drawing's wire runs straight to the chip pin;
        # through a transistor it ends at the transistor, on no chip pin.
        straight = not re.search(r"\bQ\d", through)
        ends = {w[-1] for w in from_terminal}
        on_other_pins = {e for e in ends if e[0] == BODY_LEFT - STUB and e != stub}
        if on_other_pins or (straight and stub not in ends) or (not straight and stub in ends):
            faults.append(f"the drawing wires printer-port pin {pc_pin} otherwise than to chip pin {number}"
                          f" through {through}")
    listed = sorted(p for p, _, _, _ in rows if p)
    if listed != sorted(pc):
        faults.append(f"printer-port pins: README.md has {listed}, the drawing {sorted(pc)}")
    return faults


def write(root):
    """Writes the README's table and the drawing from the data."""
    data = load(root)
    readme_path = root / "README.md"
    readme_path.write_text(replace_block(readme_path.read_text(encoding="utf-8"), readme_block(data)),
                           encoding="utf-8")
    (root / "docs/adapter.svg").write_text(draw(data), encoding="utf-8")


def check(root):
    """What is wrong with the README's table and the drawing: one text per
    fault, none when both are as made from the data and agree."""
    try:
        data = load(root)
        readme = (root / "README.md").read_text(encoding="utf-8")
        svg_path = root / "docs/adapter.svg"
        svg = svg_path.read_text(encoding="utf-8") if svg_path.exists() else ""
        faults = []
        for name, have, want in (("README.md", readme, replace_block(readme, readme_block(data))),
                                 ("docs/adapter.svg", svg, draw(data))):
            if have != want:
                diff = difflib.unified_diff(have.splitlines(), want.splitlines(), name, "from docs/wiring.toml",
                                            lineterm="", n=1)
                faults.append(f"{name} is not as made from docs/wiring.toml:\n" + "\n".join(list(diff)[:40]))
        if svg:
            faults += check_agreement(readme, svg)
        return faults
    except (WiringError, KeyError, ET.ParseError) as e:
        return [str(e)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--root", type=pathlib.Path, default=pathlib.Path(__file__).resolve().parent.parent)
    args = parser.parse_args()
    if not args.check:
        try:
            write(args.root)
            return 0
        except (WiringError, KeyError) as e:
            print(f"wiring-docs: {e}", file=sys.stderr)
            return 1
    faults = check(args.root)
    for fault in faults:
        print(f"wiring-docs: {fault}", file=sys.stderr)
    if faults:
        print("wiring-docs: run scripts/wiring-docs.py after editing docs/wiring.toml", file=sys.stderr)
        return 1
    print("wiring-docs: README.md and docs/adapter.svg agree with docs/wiring.toml and with each other")
    return 0


if __name__ == "__main__":
    sys.exit(main())
