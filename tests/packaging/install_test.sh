#!/usr/bin/env bash
# cmake --install puts the program and a valid desktop entry whose Exec line
# names the installed program and takes the marked files (%F).
set -euo pipefail
build="${1:?usage: $0 BUILD_DIR DESKTOP_DIR}"
desktop_dir="${2:?usage: $0 BUILD_DIR DESKTOP_DIR}"
stage="$(mktemp -d /tmp/vorel-install-XXXXXX)"
trap 'rm -rf "$stage"' EXIT

DESTDIR="$stage" cmake --install "$build" --prefix /opt/vorel >/dev/null
[ -x "$stage/opt/vorel/vorel" ] || { echo "FAIL: program not installed"; exit 1; }
entry="$stage$desktop_dir/vorel.desktop"
[ -f "$entry" ] || { echo "FAIL: no desktop entry at $entry"; exit 1; }
grep -qx 'Exec="/opt/vorel/vorel" %F' "$entry" || { echo "FAIL: Exec line"; cat "$entry"; exit 1; }
desktop-file-validate "$entry"
echo "install: passed"
