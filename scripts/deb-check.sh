#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian package as a user gets it: built, its contents listed and
# checked (stripped programs, desktop entries, metainfo, icons, manual pages),
# installed with dpkg, run from the installed path, checked by lintian, and
# removed again. Installing needs root; as another user the script stops
# after the checks that need none.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(bash scripts/build-deb.sh | tail -n 1)
echo "== package: $deb"
dpkg-deb --field "$deb"
echo "== contents"
dpkg-deb --contents "$deb"

fail() { echo "deb-check: $*" >&2; exit 1; }

unpacked=$(mktemp -d)
session=$(mktemp -d)
cleanup() { rm -rf "$unpacked" "$session"; }
trap cleanup EXIT
dpkg-deb -x "$deb" "$unpacked"

echo "== programs are stripped"
for program in brovik brovik-sim brovik-cli; do
    description=$(file -b "$unpacked/usr/bin/$program")
    echo "$program: $(du -h "$unpacked/usr/bin/$program" | cut -f1), $description"
    [[ $description == *", stripped"* ]] || fail "$program is not stripped"
done

echo "== desktop entries and metainfo"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.brovik.Brovik.metainfo.xml"
# The screenshot the metainfo names is the one the package installs.
screenshot=$(sed -n 's|.*<image[^>]*>\(.*\)</image>.*|\1|p' "$unpacked/usr/share/metainfo/org.brovik.Brovik.metainfo.xml")
[ -n "$screenshot" ] || fail "the metainfo names no screenshot"
installed=/usr/share/doc/brovik/docs/$(basename "$screenshot")
[ -s "$unpacked$installed" ] || fail "the metainfo's screenshot $screenshot is not installed as $installed"
echo "screenshot: $screenshot, installed as $installed ($(identify -format '%wx%h' "$unpacked$installed"))"

echo "== the README's pictures"
# Every picture the installed README links to is installed where the link
# points.
doc=$unpacked/usr/share/doc/brovik
pictures=$(grep -o '!\[[^]]*\]([^)]*)' "$doc/README.md" | sed 's/.*(\(.*\))/\1/')
[ -n "$pictures" ] || fail "the installed README links no picture"
for picture in $pictures; do
    [ -s "$doc/$picture" ] || fail "the installed README links $picture, which the package does not hold"
    echo "$picture: $(file -b "$doc/$picture")"
done

echo "== icons"
for size in 16 24 32 48 64 128 256; do
    icon=$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/brovik.png
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "$icon is not ${size}x${size}"
done
# The SVG and the PNGs come from one drawing: rendered at 256 pixels they
# differ only along edges.
rsvg-convert -w 256 -h 256 "$unpacked/usr/share/icons/hicolor/scalable/apps/brovik.svg" -o "$session/svg.png"
differing=$(compare -metric AE -fuzz 10% "$unpacked/usr/share/icons/hicolor/256x256/apps/brovik.png" "$session/svg.png" null: 2>&1 || true)
echo "SVG against the 256-pixel PNG: $differing of 65536 pixels differ"
[ "$differing" -lt 3000 ] || fail "the SVG icon does not show the picture of the PNG icons"

echo "== lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"

if [ "$(id -u)" -ne 0 ]; then
    echo "deb-check: not root, so the package is not installed here (dpkg -i needs root)"
    exit 0
fi

echo "== dpkg -i"
# Some minimal images keep manual pages out of every package
# (path-exclude in /etc/dpkg/dpkg.cfg.d); let this package's pages in.
dpkg --path-include='/usr/share/man/man1/brovik*' -i "$deb"
removed=0
remove() {
    [ $removed = 1 ] && return
    removed=1
    echo "== dpkg -r"
    dpkg -r brovik
}
trap 'remove; cleanup' EXIT

[ "$(command -v brovik-cli)" = /usr/bin/brovik-cli ] || fail "brovik-cli is not the installed one: $(command -v brovik-cli)"
export HOME=$session/home XDG_CONFIG_HOME=$session/config XDG_DATA_HOME=$session/data XDG_RUNTIME_DIR=$session/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
for program in brovik brovik-sim brovik-cli; do
    version=$("/usr/bin/$program" --version)
    echo "$version"
    [ "$version" = "$program $(dpkg-query -W -f='${Version}' brovik)" ] || fail "$program --version says \"$version\""
done
printf ':0300300002337A1E\n:00000001FF\n' > "$session/x.hex"
/usr/bin/brovik-cli --port sim --fast auto "$session/x.hex" | tail -n 5
/usr/bin/brovik-cli --port sim --fast verify - < "$session/x.hex" | tail -n 1

dpkg -L brovik | grep -q '^/usr/share/man/man1/brovik-cli.1.gz$' || fail "dpkg lists no manual page"
page=$(man -w brovik-cli) || fail "man -w brovik-cli finds no page"
echo "man -w brovik-cli: $page"
[ "$page" = /usr/share/man/man1/brovik-cli.1.gz ] || fail "man -w found $page"
MANWIDTH=80 man brovik-cli 2>&1 >/dev/null | (! grep .) || fail "man brovik-cli warns"
MANWIDTH=80 man brovik-cli | sed -n '/^WIRING/,/^EXAMPLES/p'

echo "== Intel HEX type"
# shared-mime-info's trigger has rebuilt the database with the package's type.
grep -Fx -e '50:text/x-ihex:*.hex' -e '50:text/x-ihex:*.ihx' /usr/share/mime/globs2 || fail "the MIME database knows no text/x-ihex"
[ "$(grep -Fxc -e '50:text/x-ihex:*.hex' -e '50:text/x-ihex:*.ihx' /usr/share/mime/globs2)" = 2 ] ||
    fail "text/x-ihex lacks one of its patterns"
grep -q '^MimeType=text/x-ihex;$' /usr/share/applications/brovik-sim.desktop || fail "brovik-sim's entry declares no type"
dpkg-deb --field "$deb" Recommends | grep -qw qt6-wayland || fail "the package does not recommend qt6-wayland"

echo "== bash completion"
completions=$(bash -c '
    source /usr/share/bash-completion/bash_completion
    source /usr/share/bash-completion/completions/brovik-cli
    complete_words() {
        COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _brovik_cli; echo "${COMPREPLY[*]}"
    }
    complete_words brovik-cli --po
    complete_words brovik-cli --port sim ""
    complete_words brovik-cli lock ""')
echo "$completions"
[ "$completions" = $'--port\nerase blank program verify auto lock read\n1 2 3' ] || fail "bash completion answers otherwise"

remove
dpkg-query -W brovik 2>/dev/null | grep -q . && dpkg -s brovik 2>/dev/null | grep -q '^Status: install' && fail "brovik is still installed"
[ ! -e /usr/bin/brovik-cli ] || fail "/usr/bin/brovik-cli is left after dpkg -r"
echo "deb-check: package built, installed, run and removed"
