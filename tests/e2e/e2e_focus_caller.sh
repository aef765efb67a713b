#!/usr/bin/env bash
# F4 under a window manager (openbox) with no "TolvaMainWin" window: the
# focus goes back to the window that was active when Vorel started, else to
# a window of the process that started Vorel, else to a file manager's
# window. Each time Vorel stays open.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
STANDIN="${2:?usage: $0 vorel tolva_window}"
command -v openbox >/dev/null || fail "openbox is missing (scripts/install-deps.sh installs it)"

start_display
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
for i in $(seq 1 300); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start: $(cat "$WORK/openbox.log")"
printf '[ProgTitle]\r\n' >"$PROG_DIR/vorel.INI"   # not a first start

STANDINS=()
stop_all() {
  local p
  for p in "${STANDINS[@]}"; do kill "$p" 2>/dev/null || true; done
  STANDINS=()
  [ -n "$VOREL_PID" ] && kill "$VOREL_PID" 2>/dev/null || true
  VOREL_PID=""
  kill "$WM_PID" 2>/dev/null || true
}
trap 'stop_all; cleanup' EXIT

# standin NAME CLASS [--run ...] : a stand-in window titled NAME; its output
# goes to $WORK/NAME.out.
standin() {
  local name="$1" class="$2"
  shift 2
  "$STANDIN" --class "$class" --title "$name" "$@" >"$WORK/$name.out" 2>&1 &
  STANDINS+=($!)
  for i in $(seq 1 50); do grep -q mapped "$WORK/$name.out" && break; sleep 0.1; done
  grep -q mapped "$WORK/$name.out" || fail "stand-in $name did not appear"
}

active_name() { xdotool getactivewindow getwindowname 2>/dev/null || true; }

# activate NAME : makes the window of that title the active one.
activate() {
  local id i pattern
  pattern="^$(printf '%s' "$1" | sed 's/[][().*+?^$|\\/]/\\&/g')\$"
  id="$(xdotool search --name "$pattern" | tail -n 1)"
  for i in $(seq 1 150); do
    [ "$(active_name)" = "$1" ] && return 0
    xdotool windowactivate "$id" 2>/dev/null || true
    sleep 0.1
  done
  fail "could not activate $1 (id '$id', active: '$(active_name)', window manager: $(xprop -root _NET_SUPPORTING_WM_CHECK 2>&1))"
}

# await_active NAME : the window of that title becomes the active one.
await_active() {
  local i
  for i in $(seq 1 150); do
    [ "$(active_name)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "$2 (active: '$(active_name)')"
}

# close_vorel : Escape in the main window ends Vorel.
close_vorel() {
  activate "Vorel (ﾒｲﾝ)"
  keys Escape
  wait_exit
}

# 1. The window that was active when Vorel started.
standin Caller StandIn
activate Caller
start_vorel "$DATA/x"
wait_window "Vorel (ﾒｲﾝ)"
activate "Vorel (ﾒｲﾝ)"
keys F4
await_active Caller "F4 did not return to the window active at start"
kill -0 "$VOREL_PID" 2>/dev/null || fail "vorel ended on F4"
close_vorel

# 2. That window is gone: a window of the process that started Vorel.
standin Other Other
activate Other
standin Parent StandIn --run env -u QT_QPA_PLATFORM LANG=C.UTF-8 "$PROG_DIR/vorel" "$DATA/x"
for i in $(seq 1 50); do grep -q started "$WORK/Parent.out" && break; sleep 0.1; done
VOREL_PID="$(sed -n 's/^started //p' "$WORK/Parent.out")"
[ -n "$VOREL_PID" ] || fail "the stand-in did not start vorel"
wait_window "Vorel (ﾒｲﾝ)"
kill "${STANDINS[1]}"                  # "Other", active before Vorel appeared
activate "Vorel (ﾒｲﾝ)"
keys F4
await_active Parent "F4 did not go to the window of the parent process"
activate "Vorel (ﾒｲﾝ)"
keys Escape
for i in $(seq 1 100); do kill -0 "$VOREL_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$VOREL_PID" 2>/dev/null && fail "vorel did not end"
VOREL_PID=""
for p in "${STANDINS[@]}"; do kill "$p" 2>/dev/null || true; done
STANDINS=()

# 3. Neither: a file manager's window, by its class.
standin Files Thunar
standin Other2 Other
activate Other2
start_vorel "$DATA/x"
wait_window "Vorel (ﾒｲﾝ)"
kill "${STANDINS[1]}"
activate "Vorel (ﾒｲﾝ)"
keys F4
await_active Files "F4 did not go to the file manager's window"
close_vorel
echo "e2e focus caller: passed"
