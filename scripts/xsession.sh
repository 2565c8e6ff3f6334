# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by the scripts that need a real X server: starts Xvfb and a small
# window manager (so that windows get their frames and captions), gives the
# program a fresh home, and stops everything on exit.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

BROVIK_WITH_X=1 bash scripts/install-deps.sh
build=${BROVIK_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target brovik-sim brovik-cli

session=$(mktemp -d)
export HOME=$session/home XDG_CONFIG_HOME=$session/config XDG_DATA_HOME=$session/data XDG_RUNTIME_DIR=$session/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$session/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$session/openbox.log" 2>&1 &
wm_pid=$!
sleep 0.5

stop_session() {
    kill "${program_pid:-}" "$wm_pid" "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$session"
}
trap stop_session EXIT

# Waits for a window whose title is exactly $1 and prints its id.
wait_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1) && [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window named '$1' appeared" >&2
    return 1
}

# Brings window $1 to the front and types the keys that follow.
press() {
    local window=$1
    shift
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    xdotool key --clearmodifiers "$@"
}

# Screenshot of one window, frame included.
shoot() {
    sleep 0.3
    import -window "$1" -frame "$2"
    echo "wrote $2"
}
