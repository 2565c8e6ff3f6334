#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The dialog's Program of 1024 bytes at delays 1 as a user meets it: the main
# dialog of brovik-sim's code path shown on Xvfb under openbox, Enter on
# "Program" to the end of the command, against its floor (the prescribed
# sleeps, the bit clock of its commands and the machine's own wake-up
# lateness for as many 4 ms sleeps, measured in the same run). Runs at scale
# factors 1 and 2, RUNS times each (default 5), and fails when a median ratio
# is above 1.01. Needs an otherwise idle machine to mean anything.
source "$(dirname "$0")/xsession.sh"

cmake --build "$build" -j"$(nproc)" --target brovik-bench
runs=${RUNS:-5}
status=0
for scale in 1 2; do
    echo "== QT_SCALE_FACTOR=$scale"
    QT_SCALE_FACTOR=$scale "$build/brovik-bench" --screen "$runs" || status=1
done
exit "$status"
