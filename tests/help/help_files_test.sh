#!/usr/bin/env bash
# The help document: every picture it shows is in the help folder, and the
# build has a complete copy beside the program.
set -euo pipefail
src="${1:?usage: $0 source-help-dir built-help-dir}"
built="${2:?}"
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -f "$src/index.html" ] || fail "no help/index.html"
grep -q '<html lang="ja">' "$src/index.html" || fail "the help is not marked Japanese"
grep -q 'English summary' "$src/index.html" || fail "no English summary"
images="$(grep -o 'src="[^"]*"' "$src/index.html" | sed 's/^src="//; s/"$//')"
[ -n "$images" ] || fail "no screenshots"
for f in $images; do
  case "$f" in /*|*..*|*://*) fail "$f is not inside the help folder" ;; esac
  [ -f "$src/$f" ] || fail "$f is missing from help/"
done
for f in index.html $images; do
  cmp -s "$src/$f" "$built/$f" || fail "$f is not copied beside the program"
done
echo "help files: passed"
