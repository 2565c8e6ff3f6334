#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package of brovik from a release build in its own folder
# (no tests, no benchmarks) and prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build package

build=${BROVIK_DEB_BUILD_DIR:-build-deb}
# Debian's hardening flags, as its own packages are built with (read when the
# build folder is first configured).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS=$(dpkg-buildflags --get CXXFLAGS) LDFLAGS=$(dpkg-buildflags --get LDFLAGS) CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
export CXXFLAGS="$CXXFLAGS $CPPFLAGS" LDFLAGS
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBROVIK_TESTS=OFF -DBROVIK_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/brovik_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$(pwd)/$build"/brovik_*.deb
