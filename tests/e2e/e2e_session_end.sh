#!/usr/bin/env bash
# SIGTERM and SIGHUP from the session manager write the list settings and
# the double-byte mode as Escape does, also while a dialog is open, and then
# end the program as the signal would.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"

start_display
for sig in TERM HUP; do
  printf '[ProgTitle]\r\n' >"$PROG_DIR/vorel.INI"
  start_vorel a.txt
  wait_window "Vorel (ﾒｲﾝ)"
  keys alt+k d                   # 2ﾊﾞｲﾄ文字設定(&D)... stays open
  wait_window "Tesku (2ﾊﾞｲﾄ文字設定)"
  kill -s "$sig" "$VOREL_PID"
  wait_exit
  grep -q '^TextFontSize=14' "$PROG_DIR/vorel.INI" || fail "SIG$sig: list settings not written: $(cat "$PROG_DIR/vorel.INI")"
  grep -q '^Set=3' "$PROG_DIR/vorel.INI" || fail "SIG$sig: double-byte mode not written"
done
echo "e2e session end: passed"
