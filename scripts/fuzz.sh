#!/usr/bin/env bash
# Builds the two fuzz targets, the HEX loader and the INI reader and writer,
# with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# each for a bounded time (BROVIK_FUZZ_SECONDS, 60 by default) on a working
# copy of its seed corpus in the build tree; the seeds in the repository stay
# as they are. A crash, a sanitizer finding or a failed check fails the run,
# and the input that caused it is left in the build tree's fuzz/ folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh

build=${BROVIK_BUILD_DIR:-build}
jobs=${BROVIK_JOBS:-$(nproc)}
seconds=${BROVIK_FUZZ_SECONDS:-60}
fuzz=$build/fuzz

# The HEX target takes the rest of the dialog from the product archives of
# the ordinary build; only the loader itself is compiled instrumented.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$jobs" --target brovik_core

mkdir -p "$fuzz"
flags=(-std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root")
read -ra qt_cflags <<<"$(pkg-config --cflags Qt6Widgets)"
read -ra qt_libs <<<"$(pkg-config --libs Qt6Widgets)"
clang++ "${flags[@]}" "${qt_cflags[@]}" \
    tests/fuzz/hex_fuzz.cpp hex/*.cpp framework/File.cpp framework/FileDialog.cpp \
    "$build/app/libbrovik_core.a" "$build/framework/libbrovik_framework.a" "${qt_libs[@]}" \
    -o "$fuzz/hex_fuzz"
clang++ "${flags[@]}" tests/fuzz/ini_fuzz.cpp framework/IniFile.cpp framework/SafeFile.cpp framework/FileLock.cpp -o "$fuzz/ini_fuzz"

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
