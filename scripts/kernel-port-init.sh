#!/bin/busybox sh
# /init of the real-kernel port test's guest (scripts/kernel-port-test.sh).
# Each brovik-cli run is framed by marks on QEMU's debug console port, so that
# the host can cut its register accesses out of the trace. The results go to
# the serial console after the closing mark, as "@@" lines.
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

# run_case NAME UID GROUPS ARGS...: one brovik-cli run.
run_case() {
    name=$1 uid=$2 groups=$3
    shift 3
    home=/tmp/home-$name
    mkdir -p "$home/runtime"
    chown -R "$uid" "$home"
    chmod 700 "$home/runtime"
    kernel-port-helper mark "@@BEGIN $name"
    HOME=$home XDG_CONFIG_HOME=$home XDG_RUNTIME_DIR=$home/runtime \
        kernel-port-helper runas "$uid" "$groups" /bin/brovik-cli "$@" >/tmp/out 2>/tmp/err
    status=$?
    kernel-port-helper mark "@@END $name"
    echo "@@CASE $name status=$status args=$*"
    sed 's/^/@@OUT /' /tmp/out
    sed 's/^/@@ERR /' /tmp/err
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

run_case ppdev-root-blank 0 0 --port lpt1 blank
run_case ppdev-root-erase 0 0 --port lpt1 erase
run_case ppdev-group-blank $member 100,$lp_group --port lpt1 blank
run_case ppdev-group-erase $member 100,$lp_group --port lpt1 erase
run_case no-access-blank $stranger 100 --port lpt1 blank
run_case no-access-erase $stranger 100 --port lpt1 erase
run_case lpt3-ppdev-blank 0 0 --port lpt3 blank

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
hold_case in-use-exclusive-blank exclusive
hold_case in-use-blank

rmmod ppdev
run_case direct-root-blank 0 0 --port lpt1 blank
run_case direct-root-erase 0 0 --port lpt1 erase
run_case lpt3-direct-blank 0 0 --port lpt3 blank

echo "@@DONE"
poweroff -f
