#!/usr/bin/env bash
# Takes the README's screenshots from the real program under a private X
# display: the main window, the extended conversion dialog, the report
# view and the preview with a conflict. Usage: scripts/screenshots.sh [build/vorel]  (writes docs/*.png and
# the help's copies help/*.png)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
vorel="${1:-$here/build/vorel}"
[ -x "$vorel" ] || { echo "build Vorel first (./run or ./test)" >&2; exit 1; }
source "$here/tests/e2e/e2e_lib.sh" "$vorel"

shot() {  # shot TITLE FILE: the window of that title, as a PNG
  local pattern id
  pattern="^$(printf '%s' "$1" | sed 's/[][().*+?^$|\\/]/\\&/g')\$"
  id="$(xdotool search --onlyvisible --name "$pattern" | tail -n 1)"
  import -window "$id" "$here/docs/$2"
  cp "$here/docs/$2" "$here/help/$2"
  echo "docs/$2 help/$2"
}

start_display
printf '[ProgTitle]\r\n1=メモ帳\r\n[ProgName]\r\n1=mousepad\r\n[ProgOption]\r\n1=%%f\r\n[ProgShortCut]\r\n1=M\r\n' \
  >"$PROG_DIR/vorel.INI"
mkdir -p "$DATA/写真"
for f in "Read Me.txt" "memo.txt" "写真/旅行.jpg"; do printf x >"$DATA/$f"; done

start_vorel "$DATA/Read Me.txt" "$DATA/memo.txt" "$DATA/写真/旅行.jpg"
wait_window "Vorel (ﾒｲﾝ)"
shot "Vorel (ﾒｲﾝ)" main-window.png
keys alt+e
wait_window "Vorel (拡張変換)"
xdotool type --delay 50 "_old"
shot "Vorel (拡張変換)" extended-conversion.png
keys Escape
wait_window "Vorel (ﾒｲﾝ)"
keys alt+u
wait_window "情報"            # the double-byte question (mode 3): go on
keys alt+n
wait_window "情報"            # completion
keys Return
wait_window "ファイル数  :  3 / 3"
keys alt+c
wait_window "Vorel (変換確認)"
shot "Vorel (変換確認)" report-view.png
keys Escape
wait_window "ファイル数  :  3 / 3"
keys Escape
wait_exit

# The preview with a conflict: upper case where "READ ME.TXT" is already there.
printf '[Preview]\r\nSet=1\r\n' >>"$PROG_DIR/vorel.INI"
printf x >"$DATA/READ ME.TXT"
start_vorel "$DATA/Read Me.txt" "$DATA/memo.txt"
wait_window "Vorel (ﾒｲﾝ)"
keys alt+u
wait_window "Vorel (変換プレビュー)"
shot "Vorel (変換プレビュー)" preview.png
keys Escape
wait_window "Vorel (ﾒｲﾝ)"
keys Escape
wait_exit
