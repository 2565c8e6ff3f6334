#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds brovik and starts the dialog program on the simulated chip. Installs
# only what building and running the programs needs: no test libraries.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build
build=${BROVIK_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBROVIK_TESTS=OFF -DBROVIK_BENCH=OFF
cmake --build "$build" -j"$(nproc)" --target brovik-sim
exec "$build/brovik-sim" "$@"
