#!/usr/bin/env bash
# Builds brovik and starts the dialog program on the simulated chip.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=${BROVIK_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target brovik-sim
exec "$build/brovik-sim" "$@"
