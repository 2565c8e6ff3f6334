#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the Debian packages of the named groups, if any are missing. Runs
# apt-get as root, or through sudo for a normal user.
#   build     compile and run the three programs
#   test      the test and benchmark libraries and the tools the tests run
#   fuzz      clang and its runtime, for the fuzz targets
#   x         an X server, a window manager and screenshot tools
#   wayland   a headless Wayland compositor and Qt's Wayland plugin
#   package   building and checking the Debian package
# Without a group: build, test and fuzz. BROVIK_WITH_X=1 adds x.
set -euo pipefail

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(build test fuzz)
[ "${BROVIK_WITH_X:-0}" = 1 ] && groups+=(x)

packages=()
for group in "${groups[@]}"; do
    case $group in
        build) packages+=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core) ;;
        test) packages+=(libgtest-dev libgmock-dev libbenchmark-dev sdcc srecord python3 binutils) ;;
        fuzz) packages+=(clang libclang-rt-14-dev) ;;
        x) packages+=(xvfb openbox x11-apps x11-utils imagemagick xdotool) ;;
        wayland) packages+=(weston qt6-wayland fonts-dejavu-core) ;;
        package) packages+=(dpkg-dev file lintian desktop-file-utils appstream man-db bash-completion librsvg2-bin imagemagick) ;;
        *) echo "install-deps.sh: unknown group \"$group\"" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
