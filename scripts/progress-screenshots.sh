#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Shows that the bar moves while an operation keeps the program busy: starts
# brovik-sim under Xvfb with a HEX file of a few hundred bytes named on its
# command line (it fails unless the file is loaded then), starts Program
# (real sleeps, 4 ms a byte), and takes screenshots from outside the process
# while it runs. Fails unless the filled part of the bar grows across at least
# three different widths before the operation ends. The pictures stay in
# build/progress/.
source "$(dirname "$0")/xsession.sh"

mkdir -p "$build/progress"
out=$(cd "$build/progress" && pwd)
rm -f "$out"/*.png

# 608 bytes as 38 records of 16, and the end record.
hex=$session/program.hex
for ((record = 0; record < 38; record++)); do
    address=$((record * 16))
    line=$(printf ':10%04X00' "$address")
    sum=$((16 + (address >> 8) + (address & 0xFF)))
    for ((i = 0; i < 16; i++)); do
        byte=$(((address + i) * 7 & 0xFF))
        line+=$(printf '%02X' "$byte")
        sum=$((sum + byte))
    done
    printf '%s%02X\n' "$line" $(((256 - sum % 256) % 256)) >>"$hex"
done
echo ":00000001FF" >>"$hex"

printf '[BROVIK]\nLPT PORT=1\nDELAY BIT=1\nDELAY BYTE=1\n' >"$XDG_CONFIG_HOME/brovik-sim.INI"
"$build/brovik-sim" "$hex" &
program_pid=$!
main=$(wait_window "brovik \\(simulated chip\\)")
sleep 1
shoot "$main" "$out/loaded.png"

# Tab order from "Erase": Blank, Program. Start Program; the program is busy
# from here on.
press "$main" Tab Tab Return
for i in $(seq -w 1 24); do
    sleep 0.2
    import -window "$main" "$out/running-$i.png"
done
sleep 1.5
import -window "$main" "$out/done.png"

# The bar's colour is what fills the bottom band of the finished window,
# apart from the dialog's own background.
hexcolour() { grep -o '#[0-9A-F]\{6\}' | head -n1; }
background=$(convert "$out/done.png" -crop 1x1+1+1 -format %c histogram:info:- | hexcolour)
band() {
    local picture=$1
    shift
    convert "$picture" -gravity south -crop 100%x9%+0+0 +repage "$@"
}
colour=$(band "$out/done.png" -format %c histogram:info:- | sort -rn | grep -v "$background" | hexcolour)
filled() { band "$1" -fill black +opaque "$colour" -fill white -opaque "$colour" -format '%[fx:round(mean*w*h)]' info:; }

widths=()
for shot in "$out"/running-*.png; do
    widths+=("$(filled "$shot")")
done
final=$(filled "$out/done.png")
echo "bar colour $colour; filled pixels while running: ${widths[*]}; at the end: $final"

# Until Program resets the bar it is still full from the load; from then on
# it may only grow.
growing=0 previous=-1
for w in "${widths[@]}"; do
    if [ "$previous" -lt 0 ]; then
        [ "$w" -lt $((final * 9 / 10)) ] && previous=$w
        continue
    fi
    [ "$w" -ge "$previous" ] || { echo "the bar went back from $previous to $w pixels" >&2; exit 1; }
    [ "$w" -gt "$previous" ] && [ "$w" -lt "$final" ] && growing=$((growing + 1))
    previous=$w
done
[ "$growing" -ge 3 ] || { echo "the bar did not visibly grow during the operation" >&2; exit 1; }
echo "the bar grew $growing times before the operation ended; pictures in $out"
press "$main" Escape
wait "$program_pid"
program_pid=
