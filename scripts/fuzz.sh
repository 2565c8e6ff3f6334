#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the two fuzz targets, the HEX loader and the INI reader and writer,
# with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, in
# build-fuzz/ (BROVIK_FUZZ_BUILD_DIR), and runs
# each for a bounded time (BROVIK_FUZZ_SECONDS, 60 by default) on a working
# copy of its seed corpus in the build tree; the seeds in the repository stay
# as they are. A crash, a sanitizer finding or a failed check fails the run,
# and the input that caused it is left in the build tree's fuzz/ folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh

build=${BROVIK_FUZZ_BUILD_DIR:-build-fuzz}
jobs=${BROVIK_JOBS:-$(nproc)}
seconds=${BROVIK_FUZZ_SECONDS:-60}
fuzz=$build/fuzz

# A clang build of its own, every library instrumented (BROVIK_FUZZ), of
# which only the two fuzz targets are built.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DBROVIK_FUZZ=ON -DBROVIK_TESTS=OFF -DBROVIK_BENCH=OFF
cmake --build "$build" -j"$jobs" --target hex_fuzz ini_fuzz
mkdir -p "$fuzz"

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

# run_target NAME MAX_LEN: NAME_fuzz on its working corpus fuzz/corpus_NAME,
# which starts from the seeds and keeps what earlier runs found.
run_target() {
    local name=$1 max_len=$2
    local corpus=$fuzz/corpus_$name
    mkdir -p "$corpus"
    cp tests/fuzz/corpus_"$name"/* "$corpus"/
    echo "Fuzzing $name for $seconds s"
    "$fuzz/${name}_fuzz" -max_total_time="$seconds" -max_len="$max_len" \
        -artifact_prefix="$fuzz/$name-" -print_final_stats=1 "$corpus"
}
run_target hex 24600
run_target ini 4096
