#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The dialog programs on a Wayland compositor, beside the X checks: a headless
# weston with Qt's Wayland plugin.
# - The dialog suite's Wayland tests run on it: no decoration from the
#   toolkit (whose title bar would offer a maximise button), the dialogs' own
#   caption with only the boxes their styles have, and no Move in the system
#   menu.
# - Screenshots of brovik-sim on it, the first-run notice and the main dialog
#   started with a HEX file, in build/wayland/.
# - Without the plugin (a copy of brovik-sim whose qt.conf points at the
#   platform plugins less the Wayland ones): the one line that names
#   qt6-wayland, and exit status 1.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build test wayland
build=${BROVIK_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBROVIK_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target brovik-sim test_dialog

fail() { echo "wayland-check: $*" >&2; exit 1; }

session=$(mktemp -d)
export HOME=$session/home XDG_CONFIG_HOME=$session/config XDG_DATA_HOME=$session/data XDG_RUNTIME_DIR=$session/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE

socket=brovik-check
weston --backend=headless-backend.so --socket="$socket" --use-pixman --width=1024 --height=768 \
    --idle-time=0 --debug >"$session/weston.log" 2>&1 &
weston_pid=$!
program_pid=
stop_session() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    kill "$weston_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$session"
}
trap stop_session EXIT
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || { cat "$session/weston.log" >&2; fail "weston did not start"; }
export WAYLAND_DISPLAY=$socket

echo "== the dialogs' decoration and system menu on weston"
# The suites choose the offscreen platform unless told otherwise.
tests=$(QT_QPA_PLATFORM=wayland "$build/tests/test_dialog" --gtest_filter='WaylandDecoration.*' 2>&1) || { echo "$tests"; fail "the Wayland tests failed"; }
echo "$tests" | grep -E '^\[ +(OK|SKIPPED|FAILED) +\]'
echo "$tests" | grep -q SKIPPED && fail "the Wayland tests were skipped: Qt did not open the Wayland platform"
echo "$tests" | grep -q '\[  PASSED  \] 2 tests' || fail "not both Wayland tests ran"

echo "== brovik-sim on weston"
mkdir -p "$build/wayland"
out=$(cd "$build/wayland" && pwd)
rm -f "$out"/*.png
# weston-screenshooter writes the whole output, with a name of its own, into
# the folder it runs in.
screenshot() {
    sleep 2
    (cd "$session" && rm -f wayland-screenshot-*.png && weston-screenshooter)
    mv "$session"/wayland-screenshot-*.png "$out/$1"
    echo "wrote $out/$1"
}
run_sim() {
    "$build/brovik-sim" "$@" >"$session/sim.log" 2>&1 &
    program_pid=$!
}
end_sim() {
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
    program_pid=
    if [ -s "$session/sim.log" ]; then cat "$session/sim.log"; fail "brovik-sim wrote to standard error"; fi
}

run_sim
screenshot first-run.png
end_sim

printf '[BROVIK]\nLPT PORT=1\n' >"$XDG_CONFIG_HOME/brovik-sim.INI"
printf ':0300300002337A1E\n:00000001FF\n' >"$session/x.hex"
run_sim "$session/x.hex"
screenshot main-dialog-with-file.png
end_sim

echo "== without Qt's Wayland plugin"
platforms=$(dirname "$(find /usr/lib -path '*/qt6/plugins/platforms/libqxcb.so' -print -quit)")
[ -d "$platforms" ] || fail "no Qt platform plugins found"
copy=$session/without-wayland
mkdir -p "$copy/bin" "$copy/plugins/platforms"
for plugin in "$platforms"/*.so; do
    case $(basename "$plugin") in *wayland*) ;; *) ln -s "$plugin" "$copy/plugins/platforms/" ;; esac
done
cp "$build/brovik-sim" "$copy/bin/"
printf '[Paths]\nPlugins = %s\n' "$copy/plugins" >"$copy/bin/qt.conf"
expected="brovik-sim: a Wayland display was found (WAYLAND_DISPLAY=$socket), but Qt's Wayland plugin is not installed; install the Debian package qt6-wayland, or set QT_QPA_PLATFORM=xcb to use X instead"
# As in a desktop's Wayland session, and with the display alone.
for session_type in wayland ""; do
    status=0
    message=$(XDG_SESSION_TYPE=$session_type timeout 20 "$copy/bin/brovik-sim" 2>&1 >/dev/null) || status=$?
    echo "XDG_SESSION_TYPE=$session_type: exit $status: $message"
    [ "$status" = 1 ] || fail "exit status $status, not 1"
    [ "$message" = "$expected" ] || fail "the message is not the expected one"
done
echo "wayland-check: decoration, system menu, screenshots and the missing-plugin message as expected"
