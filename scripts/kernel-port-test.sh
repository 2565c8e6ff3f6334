#!/usr/bin/env bash
# The real printer-port path on a real Linux kernel: a Debian kernel under
# QEMU (software emulation, no KVM) with two emulated ISA parallel ports, the
# kernel's own parport, parport_pc and ppdev modules, and brovik-cli run
# inside as root and as users. QEMU's trace of every I/O port access is then
# checked from the host (scripts/kernel-port-check.py): which port was used,
# the ISP commands on the wires, the lines at the end, and that nothing else
# was touched.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(qemu-system-x86 linux-image-amd64 busybox-static cpio python3 g++ cmake)
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
cmake --build "$build" -j"$(nproc)" --target brovik-cli

work=$build/kernel-port-test
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
mkdir -p "$root"/{bin,dev,proc,sys,tmp,root,modules,qt/platforms}
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
cp scripts/kernel-port-init.sh "$root/init"
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.gz"
echo "initramfs: $(du -m "$work/initramfs.gz" | cut -f1) MB, built in $((SECONDS - start)) s"

# LPT1 at 0x378 and a second port where a PCI card would put it, for Lpt3.
start=$SECONDS
# A run that hangs (a claim that never returns) is cut off; the check then
# reports the runs that are missing. The console stays quiet and the clock on
# the TSC, so that no kernel I/O lands between a run's marks.
timeout 240 qemu-system-x86_64 -machine pc -accel tcg -smp 1 -m 512 \
    -display none -vga none -no-reboot -monitor none -nic none \
    -kernel "$kernel" -initrd "$work/initramfs.gz" \
    -append "console=ttyS0 rdinit=/init quiet loglevel=1 panic=-1 tsc=reliable" \
    -serial "file:$work/console.log" \
    -chardev "file,id=lpt1,path=$work/lpt1.out" -device isa-parallel,chardev=lpt1,index=0,iobase=0x378,irq=7 \
    -chardev "file,id=lpt3,path=$work/lpt3.out" -device isa-parallel,chardev=lpt3,index=1,iobase=0xd010,irq=5 \
    -chardev "file,id=marks,path=$work/marks.txt" -device isa-debugcon,chardev=marks,iobase=0xe9 \
    -trace 'parallel_ioport_*' -trace 'memory_region_ops_*' -D "$work/trace.log" ||
    echo "QEMU did not finish (status $?)"
echo "QEMU ran for $((SECONDS - start)) s; trace: $(du -m "$work/trace.log" | cut -f1) MB"

python3 scripts/kernel-port-check.py "$work/console.log" "$work/trace.log"
