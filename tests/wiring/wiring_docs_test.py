#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The README's wiring table and the schematic come from docs/wiring.toml and
agree with each other; a copy of the tree with one fault put in fails the
check with a message that names the fault."""
import importlib.util
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
SCRIPT = SOURCE / "scripts/wiring-docs.py"
# The script's functions, run in this process: a new interpreter for every
# case would make the test slow.
script_module = importlib.util.spec_from_file_location("wiring_docs", SCRIPT)
wiring_docs = importlib.util.module_from_spec(script_module)
script_module.loader.exec_module(wiring_docs)


class WiringDocs(unittest.TestCase):
    def copy_of_the_tree(self):
        root = pathlib.Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, root)
        (root / "docs").mkdir()
        for name in ("README.md", "docs/wiring.toml", "docs/adapter.svg"):
            shutil.copy(SOURCE / name, root / name)
        return root

    def edit(self, root, name, old, new):
        path = root / name
        text = path.read_text(encoding="utf-8")
        self.assertIn(old, text, f"the fixture lost its anchor in {name}")
        path.write_text(text.replace(old, new, 1), encoding="utf-8")

    def test_the_tree_as_committed_passes(self):
        result = subprocess.run([sys.executable, str(SCRIPT), "--check"], capture_output=True, text=True,
                                check=False)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_pin_numbers_are_those_of_the_40_pin_package(self):
        # Checked against the published 40-pin DIP pinout of the family.
        readme = (SOURCE / "README.md").read_text(encoding="utf-8")
        for row in ("| 1 (nStrobe) | MOSI", "| 6 (P1.5) |", "| 10 (nAck) | MISO", "| 7 (P1.6) |",
                    "| 2 (D0) | SCK", "| 8 (P1.7) |", "| 3 (D1) | reset control", "| 9 (RST) |",
                    "| 18 (XTAL2) |", "| 19 (XTAL1) |", "| 20 (GND) |", "| 31 (EA/VPP) |", "| 40 (VCC) |"):
            self.assertIn(row, readme)

    def test_a_fault_in_one_file_fails_the_check(self):
        cases = [
            # A hand edit of the README's table: the wrong pin for MOSI.
            ("README.md", "| 6 (P1.5) |", "| 7 (P1.5) |",
             ["README.md is not as made", "README.md says chip pin 7 is P1.5; the drawing names it P1.6"]),
            # The drawing's pin label changed by hand.
            ("docs/adapter.svg", 'class="chip-pin-name">RST<', 'class="chip-pin-name">P1.7<',
             ["docs/adapter.svg is not as made", "README.md says chip pin 9 is RST; the drawing names it P1.7"]),
            # The drawing's MOSI wire moved to the next pin's stub.
            ("docs/adapter.svg", 'data-net="P1.5" points="190,370 560,370"', 'data-net="P1.5" points="190,370 560,406"',
             ["docs/adapter.svg is not as made",
              "the drawing wires printer-port pin 1 otherwise than to chip pin 6 through R1 470 Ω"]),
            # The inverter left out: printer-port pin 3 straight on RST.
            ("docs/adapter.svg", 'data-net="reset-control" points="190,550 316,550 330,550"',
             'data-net="reset-control" points="190,550 560,478"',
             ["the drawing wires printer-port pin 3 otherwise than to chip pin 9"]),
            # A printer-port terminal the README does not list.
            ("docs/adapter.svg", 'class="pc-pin" font-weight="bold">10<', 'class="pc-pin" font-weight="bold">11<',
             ["README.md lists printer-port pin 10; the drawing has no such terminal"]),
            # A pin the chip does not have.
            ("docs/wiring.toml", 'chip_pin = "P1.5"', 'chip_pin = "P1.8"', ['"P1.8" is not a pin of the pinout']),
            # A pinout that lost a pin.
            ("docs/wiring.toml", '"PSEN", ', "", ["the pinout needs 40 different pin names, it has 39"]),
        ]
        for name, old, new, messages in cases:
            with self.subTest(file=name, edit=new):
                root = self.copy_of_the_tree()
                self.edit(root, name, old, new)
                faults = "\n".join(wiring_docs.check(root))
                for message in messages:
                    self.assertIn(message, faults)

    def test_the_script_makes_both_files_again(self):
        root = self.copy_of_the_tree()
        self.edit(root, "README.md", "| 8 (P1.7) |", "| 9 (P1.7) |")
        (root / "docs/adapter.svg").unlink()
        self.assertNotEqual(wiring_docs.check(root), [])
        wiring_docs.write(root)
        for name in ("README.md", "docs/adapter.svg"):
            self.assertEqual((root / name).read_text(encoding="utf-8"),
                             (SOURCE / name).read_text(encoding="utf-8"), name)
        self.assertEqual(wiring_docs.check(root), [])


if __name__ == "__main__":
    unittest.main()
