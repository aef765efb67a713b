#!/usr/bin/env bash
# The real program under Xvfb over many files (100,000 unless given), driven
# by xdotool as a user would: start-up with the paths until the main window
# shows, "変換確認(&C)" until the report view shows, the whole flow (start,
# upper case, report, exit) and the peak memory, each beside the bare loops
# that window_bench --bare times on the same files. Prints the medians as
# ROW lines, as the benchmarks do.
# Usage: scripts/bench-xvfb.sh [files] [repetitions]   (needs build-bench/)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
files="${1:-100000}"
reps="${2:-5}"
bare_bench="$here/build-bench/bench/window_bench"
[ -x "$bare_bench" ] && [ -x "$here/build-bench/vorel" ] || { echo "run scripts/bench.sh first" >&2; exit 1; }
source "$here/tests/e2e/e2e_lib.sh" "$here/build-bench/vorel"

now() { date +%s.%N; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) * 1000 }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Polls without the settling pause of wait_window, so the time is the
# program's.
seen() {
  local pattern
  pattern="^$(printf '%s' "$1" | sed 's/[][().*+?^$|\\/]/\\&/g')\$"
  until xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1; do
    kill -0 "$VOREL_PID" 2>/dev/null || { cat "$WORK/vorel.log" >&2; fail "vorel ended while waiting for '$1'"; }
    sleep 0.01
  done
}
ended() {
  while kill -0 "$VOREL_PID" 2>/dev/null; do sleep 0.01; done
  wait "$VOREL_PID" 2>/dev/null || true
  VOREL_PID=""
}
press() { xdotool key "$@"; }
# CPU time the program has used so far (user + system), in ms: steadier than
# the wall clock on a loaded machine.
cpu_ms() {
  awk -v hz="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); printf "%.0f", ($12 + $13) * 1000 / hz }' \
    "/proc/$(program_pid)/stat"
}

# Xvfb picks a free display number itself, so that a display another run
# starts at the same moment is never taken for this one.
start_display() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
  XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$WORK/display" ] && { export DISPLAY=":$(head -n 1 "$WORK/display")"; return 0; }
    sleep 0.1
  done
  fail "no X display could be started"
}
start_display
printf '[ProgTitle]\r\n1=x\r\n' >"$PROG_DIR/vorel.INI"  # no first-run prompt
echo "creating $files files ..." >&2
(cd "$DATA" && seq -f 'holiday photo %06g.jpeg' 0 $((files - 1)) | xargs -d '\n' touch)
# Relative paths, and room for them: the system's argument limit is a quarter
# of the stack limit, at most 6 MB.
ulimit -s 65536 2>/dev/null || true
seq -f 'data/holiday photo %06g.jpeg' 0 $((files - 1)) >"$WORK/paths"
# xargs hands them over at once (-x: never split), as a file manager's exec
# would; a shell spends longer on 100,000 words than the program does.
launch() {
  (cd "$WORK" && exec xargs -d '\n' -a "$WORK/paths" -x -s 6000000 \
     env -u QT_QPA_PLATFORM LANG=C.UTF-8 "$PROG_DIR/vorel") >"$WORK/vorel.log" 2>&1 &
  VOREL_PID=$!
}
# The program itself, below xargs.
program_pid() { pgrep -P "$VOREL_PID" | head -n 1; }
caption="ファイル数  :  $files / $files"

declare -a start cpu report flow peak b_read b_rename b_report
for r in $(seq 1 "$reps"); do
  echo "repetition $r ..." >&2
  t0="$(now)"
  launch
  seen "Vorel (ﾒｲﾝ)"
  t1="$(now)"
  cpu+=("$(cpu_ms)")
  wait_window "Vorel (ﾒｲﾝ)"
  t2="$(now)"; press alt+u; seen "情報"; t3="$(now)"
  wait_window "情報"; press Return; wait_window "$caption"
  t4="$(now)"; press alt+c; seen "Vorel (変換確認)"; t5="$(now)"
  wait_window "Vorel (変換確認)"
  peak+=("$(awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$(program_pid)/status")")
  press Escape; wait_window "$caption"
  t6="$(now)"; press Escape; ended; t7="$(now)"
  start+=("$(ms "$t0" "$t1")")
  report+=("$(ms "$t4" "$t5")")
  flow+=("$(awk -v a="$(ms "$t0" "$t1")" -v b="$(ms "$t2" "$t3")" -v c="$(ms "$t4" "$t5")" \
            -v d="$(ms "$t6" "$t7")" 'BEGIN { printf "%.1f", a + b + c + d }')")
  # The bare loops rename the files back to lower case for the next round.
  out="$("$bare_bench" --bare "$DATA" "$files" upper)"
  b_read+=("$(awk '/read-paths/ { print $3 }' <<<"$out")")
  b_rename+=("$(awk '/rename/ { print $3 }' <<<"$out")")
  b_report+=("$(awk '/BARE report/ { print $3 }' <<<"$out")")
done

s="$(median "${start[@]}")"; br="$(median "${b_read[@]}")"
rp="$(median "${report[@]}")"; bp="$(median "${b_report[@]}")"
fl="$(median "${flow[@]}")"; bn="$(median "${b_rename[@]}")"
pk="$(median "${peak[@]}")"
awk -v n="$files" -v s="$s" -v br="$br" -v rp="$rp" -v bp="$bp" -v fl="$fl" -v bn="$bn" -v pk="$pk" 'BEGIN {
  printf "ROW | Xvfb: start-up with the paths until the main window is shown vs reading them into a vector | %d | %.1f | %.1f | %.2f | <= 1.00 of 3 x bare + 300 ms, and <= 500 ms |\n", n, s, br, s / (3 * br + 300)
  printf "ROW | Xvfb: report until the view is shown vs bare lstat + write | %d | %.1f | %.1f | %.2f | <= 1.00 of 1.5 x bare + 300 ms |\n", n, rp, bp, rp / (1.5 * bp + 300)
  printf "ROW | Xvfb: whole flow: start, upper case, report, exit vs bare rename + lstat + write | %d | %.1f | %.1f | %.2f | <= 2.00 |\n", n, fl, bn + bp, fl / (bn + bp)
  printf "ROW | Xvfb: peak memory (max RSS) of the whole flow, MB | %d | %.1f | - | - | <= 80 MB |\n", n, pk
}'
range() { printf '%s\n' "$@" | sort -g | sed -n '1p;$p' | paste -sd' ' | sed 's/ /../'; }
echo "spread over $reps runs, ms: start-up $(range "${start[@]}") (CPU $(range "${cpu[@]}")), report $(range "${report[@]}"), flow $(range "${flow[@]}"), bare read $(range "${b_read[@]}"), bare rename $(range "${b_rename[@]}"), bare report $(range "${b_report[@]}"); peak MB $(range "${peak[@]}")" >&2
