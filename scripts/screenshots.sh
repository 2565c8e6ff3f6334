#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Starts brovik-sim on a fresh home under Xvfb and writes screenshots of the
# first-run notice, the main dialog, its system menu and the About box to
# build/screenshots/scale-1/, and the same on a screen scaled by 2
# (QT_SCALE_FACTOR=2) to build/screenshots/scale-2/.
source "$(dirname "$0")/xsession.sh"

for scale in 1 2; do
    mkdir -p "$build/screenshots/scale-$scale"
    out=$(cd "$build/screenshots/scale-$scale" && pwd)
    rm -f "$XDG_CONFIG_HOME/brovik-sim.INI"  # a first run each time
    QT_SCALE_FACTOR=$scale "$build/brovik-sim" &
    program_pid=$!

    notice=$(wait_window "First  Run BROVIK")
    shoot "$notice" "$out/first-run.png"
    press "$notice" Return

    main=$(wait_window "brovik \\(simulated chip\\)")
    shoot "$main" "$out/main-dialog.png"

    # The system menu: a right-click on the dialog's background, then its
    # last entry, the About box.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove $((X + 4)) $((Y + 4)) click 3
    sleep 0.5
    import -window root "$out/system-menu.png" && echo "wrote $out/system-menu.png"
    xdotool key Up Return
    about=$(wait_window "About brovik")
    shoot "$about" "$out/about.png"
    press "$about" Return
    sleep 0.3
    main=$(wait_window "brovik \\(simulated chip\\)")
    press "$main" Escape
    wait "$program_pid"
    program_pid=
done
