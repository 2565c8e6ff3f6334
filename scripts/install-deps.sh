#!/usr/bin/env bash
# Installs the Debian packages that building and testing brovik needs, if any
# are missing. Runs apt-get as root, or through sudo for a normal user.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev fonts-dejavu-core sdcc srecord)
[ "${BROVIK_WITH_X:-0}" = 1 ] && packages+=(xvfb openbox x11-apps x11-utils imagemagick xdotool)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
