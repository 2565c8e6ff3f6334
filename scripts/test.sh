#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs what is missing, builds everything from nothing and runs the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build test

build=${BROVIK_BUILD_DIR:-build}
# Named, so that a build folder that run-sim.sh configured gets its tests back.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBROVIK_TESTS=ON -DBROVIK_BENCH=ON
cmake --build "$build" -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
