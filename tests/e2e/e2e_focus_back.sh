#!/usr/bin/env bash
# F4 in the main window brings the calling file manager's window (class
# "TolvaMainWin") to the front; Ctrl+F4 does not. Vorel stays open.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
TOLVA="${2:?usage: $0 vorel tolva_window}"

start_display
printf '[ProgTitle]\r\n' >"$PROG_DIR/vorel.INI"   # not a first start
"$TOLVA" >"$WORK/tolva.out" &
TOLVA_PID=$!
for i in $(seq 1 50); do grep -q mapped "$WORK/tolva.out" && break; sleep 0.1; done

start_vorel "$DATA/x"
wait_window "Vorel (ﾒｲﾝ)"
keys ctrl+F4
sleep 0.5
grep -q front "$WORK/tolva.out" && fail "Ctrl+F4 raised the calling window"
keys F4
for i in $(seq 1 50); do grep -q front "$WORK/tolva.out" && break; sleep 0.1; done
grep -q front "$WORK/tolva.out" || fail "F4 did not bring the calling window to the front"
kill -0 "$VOREL_PID" 2>/dev/null || fail "vorel ended on F4"
wait "$TOLVA_PID" || true
echo "e2e focus back: passed"
