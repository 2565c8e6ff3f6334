#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the whole test suite with AddressSanitizer and
# UndefinedBehaviorSanitizer in a build tree of its own and runs it. Any
# finding, leaks included, fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh

build=${BROVIK_SANITIZE_BUILD_DIR:-build-sanitize}
jobs=${BROVIK_JOBS:-$(nproc)}

# Also in force while building: test discovery runs every suite once.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Leaks inside Qt or fontconfig, should a version have one, are suppressed there.
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBROVIK_SANITIZE=ON -DBROVIK_BENCH=OFF
cmake --build "$build" -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$jobs"

# ctest runs every test in a process of its own. Each suite is run whole as
# well, so that what one test leaves behind for the next (a pending timer, a
# window, a host) is caught too.
for suite in "$build"/tests/test_*; do
    [ -f "$suite" ] && [ -x "$suite" ] || continue
    echo "Whole suite: $suite"
    QT_QPA_PLATFORM=offscreen "$suite" --gtest_brief=1
done
