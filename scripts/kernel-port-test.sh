#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The real printer-port path on a real Linux kernel: a Debian kernel under
# QEMU (software emulation, no KVM) with two emulated ISA parallel ports, the
# kernel's own parport, parport_pc and ppdev modules, and brovik-cli run
# inside as root and as users. Two boots run side by side:
# - printer: QEMU's own ports, which behave like printers. QEMU's trace of
#   every I/O port access is checked: which port was used, the ISP commands
#   on the wires, the lines at the end, and that nothing else was touched.
# - chip: QEMU passes the ports' register accesses on as ppdev requests
#   (-chardev parallel) to libbrovik-ppdev-chip.so, preloaded into QEMU
#   alone, which answers as the port hardware with the adapter and a
#   simulated chip on it. Every operation runs there on sdcc-built programs;
#   the chips' files, the texts and the model's journal of the wires are
#   checked.
# scripts/kernel-port-check.py checks both and prints the summary.
#
# --fault miso-stuck-high|miso-stuck-low|miso-one-clock-late breaks the chip
# boot's port model (no chip answering, or a wrong link) to show that the
# checks then fail; only the chip boot runs then.
set -euo pipefail
cd "$(dirname "$0")/.."

fault=
case ${1:-} in
--fault) fault=${2:?--fault needs miso-stuck-high, miso-stuck-low or miso-one-clock-late} ;;
"") ;;
*) echo "usage: $0 [--fault miso-stuck-high|miso-stuck-low|miso-one-clock-late]" >&2; exit 2 ;;
esac

packages=(qemu-system-x86 linux-image-amd64 busybox-static cpio python3 g++ cmake sdcc srecord)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
bash scripts/install-deps.sh

build=${BROVIK_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target brovik-cli brovik-ppdev-chip

# Absolute: the port model's device paths must be.
work=$(cd "$build" && pwd)/kernel-port-test
rm -rf "$work"
mkdir -p "$work/root"
root=$work/root

kernel=$(ls -1 /boot/vmlinuz-* | sort -V | tail -n 1)
release=${kernel#/boot/vmlinuz-}
modules=/lib/modules/$release

start=$SECONDS
g++ -std=c++20 -O2 -Wall -Wextra -static -o "$work/kernel-port-helper" scripts/kernel-port-helper.cpp

# The initramfs: busybox, brovik-cli with its libraries and Qt's offscreen
# platform plugin, the three modules, the helper and the test's own init.
mkdir -p "$root"/{bin,dev,proc,sys,tmp,root,modules,hex,qt/platforms}
cp /bin/busybox "$root/bin/busybox"
cp "$build/brovik-cli" "$root/bin/brovik-cli"
cp "$work/kernel-port-helper" "$root/bin/kernel-port-helper"
plugin=$(ls /usr/lib/*/qt6/plugins/platforms/libqoffscreen.so | head -n 1)
cp "$plugin" "$root/qt/platforms/"
for library in $( { ldd "$build/brovik-cli"; ldd "$plugin"; } | awk '/=> \// { print $3 } /^\t\/lib/ { print $1 }' | sort -u); do
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
done
# Debian links /lib64 and /lib to /usr; the loader is asked for by its /lib64 name.
[ -e "$root/lib64/ld-linux-x86-64.so.2" ] || { mkdir -p "$root/lib64"; cp -L /lib64/ld-linux-x86-64.so.2 "$root/lib64/"; }
for module in parport parport_pc ppdev; do
    path=$(grep -E "(^|/)$module\.ko[^:]*:" "$modules/modules.dep" | head -n 1 | cut -d: -f1)
    case $path in
    *.xz) xz -dc "$modules/$path" >"$root/modules/$module.ko" ;;
    *) cp "$modules/$path" "$root/modules/$module.ko" ;;
    esac
done
mkdir -p "$root/etc" && cp -r /etc/fonts "$root/etc/"
# The programs for the chips: a small one whose interrupt vector sits apart
# from its start-up code, and a long one to stop in the middle; srec_cat's
# binaries of them are what the chips must hold. changed.ihx differs from
# program.ihx in one byte.
mkdir -p "$work/sdcc"
for program in program:interrupt_handler long:larger_than_4k; do
    name=${program%%:*}
    sdcc -mmcs51 --code-size 8192 "tests/cli/sdcc/${program#*:}.c" -o "$work/sdcc/$name.ihx" >"$work/sdcc/log" 2>&1 ||
        { cat "$work/sdcc/log"; exit 1; }
    srec_cat "$work/sdcc/$name.ihx" -intel -o "$work/$name.bin" -binary 2>>"$work/sdcc/log"
    cp "$work/sdcc/$name.ihx" "$work/$name.ihx"
    cp "$work/$name.ihx" "$root/hex/"
done
python3 scripts/kernel-port-check.py change-hex "$work/program.ihx" "$root/hex/changed.ihx"
cp scripts/kernel-port-init.sh "$root/init"
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.gz"
echo "initramfs: $(du -m "$work/initramfs.gz" | cut -f1) MB, built in $((SECONDS - start)) s"

# LPT1 at 0x378 and a second port where a PCI card would put it, for Lpt3.
# A boot that hangs (a claim that never returns) is cut off; the check then
# reports the runs that are missing. The console stays quiet and the clock on
# the TSC, so that no kernel I/O lands between a run's marks.
qemu_common=(-machine pc -accel tcg -smp 1 -m 512 -display none -vga none -no-reboot -monitor none -nic none
    -kernel "$kernel" -initrd "$work/initramfs.gz")
kernel_options="console=ttyS0 rdinit=/init quiet loglevel=1 panic=-1 tsc=reliable"
boot() {
    local name=$1 started=$SECONDS
    shift
    "$@" || echo "$name boot: QEMU did not finish (status $?)"
    echo "$name boot: QEMU ran for $((SECONDS - started)) s"
}

printer_boot() {
    boot printer timeout 240 qemu-system-x86_64 "${qemu_common[@]}" \
        -append "$kernel_options brovik.suite=printer" -serial "file:$work/console.log" \
        -chardev "file,id=lpt1,path=$work/lpt1.out" -device isa-parallel,chardev=lpt1,index=0,iobase=0x378,irq=7 \
        -chardev "file,id=lpt3,path=$work/lpt3.out" -device isa-parallel,chardev=lpt3,index=1,iobase=0xd010,irq=5 \
        -chardev "file,id=marks,path=$work/marks.txt" -device isa-debugcon,chardev=marks,iobase=0xe9 \
        -trace 'parallel_ioport_*' -trace 'memory_region_ops_*' -D "$work/trace.log"
}
if [ -z "$fault" ]; then
    printer_boot >"$work/printer-boot.log" 2>&1 &
    printer=$!
fi

# The chip boot: the paths of the two -chardev parallel devices are fake
# ppdev devices of the preloaded port model, each with its chip file.
chips="$work/lpt1-ppdev=$work/chip-lpt1.bin $work/lpt3-ppdev=$work/chip-lpt3.bin"
boot chip timeout 400 env LD_PRELOAD="$(realpath "$build/libbrovik-ppdev-chip.so")" \
    BROVIK_PPDEV_PORTS="$chips" BROVIK_PPDEV_FAULT="$fault" \
    BROVIK_PPDEV_JOURNAL="$work/wire.journal" BROVIK_PPDEV_MARKS="$work/chip-marks.txt" \
    qemu-system-x86_64 "${qemu_common[@]}" \
    -append "$kernel_options brovik.suite=chip" -serial "file:$work/chip-console.log" \
    -chardev "parallel,id=lpt1,path=$work/lpt1-ppdev" -device isa-parallel,chardev=lpt1,index=0,iobase=0x378,irq=7 \
    -chardev "parallel,id=lpt3,path=$work/lpt3-ppdev" -device isa-parallel,chardev=lpt3,index=1,iobase=0xd010,irq=5 \
    -chardev "file,id=marks,path=$work/chip-marks.txt" -device isa-debugcon,chardev=marks,iobase=0xe9 \
    >"$work/chip-boot.log" 2>&1 &
chip=$!
if [ -z "$fault" ]; then
    wait $printer $chip
    cat "$work/printer-boot.log"
    echo "trace of the printer boot: $(du -m "$work/trace.log" | cut -f1) MB"
    scope=
else
    wait $chip
    echo "the port model's fault: $fault"
    scope=--chip-only
fi
cat "$work/chip-boot.log"
echo "journal of the chip boot: $(du -m "$work/wire.journal" | cut -f1) MB"

python3 scripts/kernel-port-check.py check "$work" $scope
