#!/bin/busybox sh
# SPDX-License-Identifier: GPL-2.0-or-later
# /init of the real-kernel port test's guest (scripts/kernel-port-test.sh).
# Each brovik-cli run is framed by marks on QEMU's debug console port, so that
# the host can cut its register accesses out of the trace (or out of the port
# model's journal). The results go to the serial console after the closing
# mark, as "@@" lines. The kernel's command line chooses the suite:
# brovik.suite=printer (QEMU's own ports, where no chip answers) or
# brovik.suite=chip (the preloaded port model with a chip on each port).
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp

export QT_PLUGIN_PATH=/qt QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
lp_group=7
member=1000
stranger=1001

# Like udev on Debian: the port devices belong to group lp.
grant_ports() {
    for device in /dev/parport*; do
        [ -e "$device" ] || continue
        chgrp $lp_group "$device"
        chmod 660 "$device"
    done
}

# make_home NAME UID: the run's own home and runtime folder.
make_home() {
    home=/tmp/home-$1
    mkdir -p "$home/runtime"
    chown -R "$2" "$home"
    chmod 700 "$home/runtime"
}

# report NAME STATUS ARGS...: the results of a run, after its closing mark.
report() {
    echo "@@CASE $1 status=$2 args=$3"
    sed 's/^/@@OUT /' /tmp/out
    sed 's/^/@@ERR /' /tmp/err
}

# run_case NAME UID GROUPS ARGS...: one brovik-cli run.
run_case() {
    name=$1 uid=$2 groups=$3
    shift 3
    make_home "$name" "$uid"
    kernel-port-helper mark "@@BEGIN $name"
    HOME=$home XDG_CONFIG_HOME=$home XDG_RUNTIME_DIR=$home/runtime \
        kernel-port-helper runas "$uid" "$groups" /bin/brovik-cli "$@" >/tmp/out 2>/tmp/err
    status=$?
    kernel-port-helper mark "@@END $name"
    report "$name" $status "$*"
}

# stop_case NAME TEXT ARGS...: a run as root that gets SIGINT once it has
# printed TEXT.
stop_case() {
    name=$1 text=$2
    shift 2
    make_home "$name" 0
    rm -f /tmp/out
    kernel-port-helper mark "@@BEGIN $name"
    HOME=$home XDG_CONFIG_HOME=$home XDG_RUNTIME_DIR=$home/runtime /bin/brovik-cli "$@" >/tmp/out 2>/tmp/err &
    cli=$!
    while kill -0 $cli 2>/dev/null && ! grep -qF "$text" /tmp/out 2>/dev/null; do sleep 0.05; done
    kill -INT $cli 2>/dev/null
    wait $cli
    status=$?
    kernel-port-helper mark "@@END $name"
    report "$name" $status "$*"
}

# report_file NAME PATH: what a run left at PATH.
report_file() {
    if [ -f "$2" ]; then
        echo "@@FILE $1 present"
        sed 's/^/@@HEX /' "$2"
    else
        echo "@@FILE $1 absent"
    fi
}

# hold_case NAME HOW: a run while another program holds LPT1 through ppdev.
hold_case() {
    lpt1=$(grep -l '^888[^0-9]' /proc/sys/dev/parport/parport*/base-addr | cut -d/ -f6)
    rm -f /tmp/held
    kernel-port-helper hold "/dev/$lpt1" $2 >/tmp/held &
    holder=$!
    while ! grep -q held /tmp/held 2>/dev/null; do sleep 0.1; done
    run_case "$1" 0 0 --port lpt1 blank
    kill $holder
    wait $holder 2>/dev/null
}

# The printer ports of QEMU: the commands reach the wires, no chip answers.
printer_suite() {
    run_case ppdev-root-blank 0 0 --port lpt1 blank
    run_case ppdev-root-erase 0 0 --port lpt1 erase
    run_case ppdev-group-blank $member 100,$lp_group --port lpt1 blank
    run_case ppdev-group-erase $member 100,$lp_group --port lpt1 erase
    run_case no-access-blank $stranger 100 --port lpt1 blank
    run_case no-access-erase $stranger 100 --port lpt1 erase
    run_case lpt3-ppdev-blank 0 0 --port lpt3 blank

    hold_case in-use-exclusive-blank exclusive
    hold_case in-use-blank

    rmmod ppdev
    run_case direct-root-blank 0 0 --port lpt1 blank
    run_case direct-root-erase 0 0 --port lpt1 erase
    run_case lpt3-direct-blank 0 0 --port lpt3 blank
}

# A chip on each port (the preloaded port model), programmed from the sdcc
# programs in /hex: every operation through ppdev, then through direct I/O.
chip_suite() {
    run_case chip-auto 0 0 --port lpt1 auto /hex/program.ihx
    run_case chip-verify 0 0 --port lpt1 verify /hex/program.ihx
    run_case chip-read 0 0 --port lpt1 read /tmp/read.hex
    report_file chip-read /tmp/read.hex
    run_case chip-verify-changed 0 0 --port lpt1 verify /hex/changed.ihx
    run_case chip-blank-programmed 0 0 --port lpt1 blank
    run_case chip-lock-2 0 0 --port lpt1 lock 2
    run_case chip-read-locked 0 0 --port lpt1 read /tmp/locked.hex
    report_file chip-read-locked /tmp/locked.hex
    run_case chip-erase 0 0 --port lpt1 erase
    run_case chip-blank-erased 0 0 --port lpt1 blank
    stop_case chip-program-stopped "Program Flash 10%" --port lpt1 program /hex/long.ihx
    run_case lpt3-chip-auto 0 0 --port 0xD010 auto /hex/program.ihx
    rmmod ppdev
    run_case direct-chip-erase 0 0 --port lpt1 erase
    run_case direct-chip-program 0 0 --port lpt1 program /hex/program.ihx
    run_case direct-chip-verify 0 0 --port lpt1 verify /hex/program.ihx
}

insmod /modules/parport.ko
# Interrupts off: brovik polls, and QEMU's printer port would raise its
# interrupt on every status read once ppdev has enabled it.
insmod /modules/parport_pc.ko io=0x378,0xd010 irq=none,none
insmod /modules/ppdev.ko
grant_ports
for port in /proc/sys/dev/parport/parport*; do
    [ -e "$port/base-addr" ] && echo "@@PORT ${port##*/} $(cat "$port/base-addr")"
done
ls -l /dev/parport* | sed 's/^/@@DEV /'

case " $(cat /proc/cmdline) " in
*" brovik.suite=chip "*) chip_suite ;;
*) printer_suite ;;
esac

echo "@@DONE"
poweroff -f
