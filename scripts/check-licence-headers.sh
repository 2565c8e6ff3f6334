#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Every source file and script of the tree names its licence in its first
# lines (after a shebang), so that a file copied out of the tree keeps it.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

missing=0
while IFS= read -r -d '' f; do
    case $f in
    *.cpp | *.h | *.h.in | *.c | *.sh | *.py | */CMakeLists.txt | CMakeLists.txt | .ci/run | *.bash-completion | *.1.in | *.man) ;;
    *) continue ;;
    esac
    if ! head -n 3 "$f" | grep -q 'SPDX-License-Identifier: GPL-2.0-or-later'; then
        echo "no licence line: $f"
        missing=$((missing + 1))
    fi
done < <(git ls-files -z 2>/dev/null || find . -type f -not -path './build*' -print0)
[ "$missing" -eq 0 ] || { echo "$missing files without an SPDX-License-Identifier line"; exit 1; }
echo "every source file and script names its licence"
