#!/usr/bin/env bash
# Shared steps of the end-to-end tests: a private X display, a temporary copy
# of the program directory, and keyboard input through xdotool.
set -euo pipefail

VOREL_BUILT="${1:?usage: $0 path/to/vorel}"
WORK="$(mktemp -d /tmp/vorel-e2e-XXXXXX)"
PROG_DIR="$WORK/prog"
DATA="$WORK/data"
mkdir -p "$PROG_DIR" "$DATA"
cp "$VOREL_BUILT" "$PROG_DIR/vorel"
XVFB_PID=""
VOREL_PID=""

cleanup() {
  [ -n "$VOREL_PID" ] && kill "$VOREL_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$WORK/vorel.log" ]; then
    echo "-- vorel's output:" >&2
    cat "$WORK/vorel.log" >&2
  fi
  exit 1
}

start_display() {
  # Each number is tried with -displayfd: Xvfb writes the number only once
  # it runs itself on that display, and ends when another server has it. A
  # display whose answer came from someone else's server is never used.
  # The server must not reset when its last client goes (-noreset): a
  # program started as the one before it ended (or as xdotool let go) would
  # find no display while it does, which a loaded machine made likely.
  local n i
  for n in $(seq 90 140); do
    [ -e "/tmp/.X${n}-lock" ] && continue
    : >"$WORK/display"
    Xvfb ":$n" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$WORK/display" >/dev/null 2>&1 &
    XVFB_PID=$!
    for i in $(seq 1 100); do
      [ -s "$WORK/display" ] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    # The display is used once a client has been answered on it.
    if [ -s "$WORK/display" ] && kill -0 "$XVFB_PID" 2>/dev/null &&
      DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  done
  fail "no X display could be started"
}

# start_vorel PATH... : starts the copied program with the given paths.
start_vorel() {
  (cd "$WORK" && exec env -u QT_QPA_PLATFORM LANG=C.UTF-8 "$PROG_DIR/vorel" "$@") \
    >"$WORK/vorel.log" 2>&1 &
  VOREL_PID=$!
}

# wait_window TITLE : waits (bounded) for a visible window of that title and
# gives it the keyboard focus.
wait_window() {
  local title="$1" id="" i pattern
  pattern="^$(printf '%s' "$title" | sed 's/[][().*+?^$|\\/]/\\&/g')\$"
  for i in $(seq 1 150); do
    id="$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | tail -n 1 || true)"
    if [ -n "$id" ]; then
      xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id" || true
      sleep 0.3
      return 0
    fi
    kill -0 "$VOREL_PID" 2>/dev/null || fail "vorel ended while waiting for '$title'"
    sleep 0.1
  done
  fail "window '$title' did not appear"
}

keys() {
  xdotool key --delay 80 "$@"
  sleep 0.3
}

# wait_exit : the program must end by itself within a bound.
wait_exit() {
  local i
  for i in $(seq 1 100); do
    kill -0 "$VOREL_PID" 2>/dev/null || { wait "$VOREL_PID" || true; VOREL_PID=""; return 0; }
    sleep 0.1
  done
  fail "vorel did not end"
}
