#!/usr/bin/env bash
# Runs every benchmark in bench/ and prints one table: each operation, its
# time and its ratio to the bare system calls. The engine benchmarks run at
# 10,000 files, the real windows at 100,000 offscreen (with their growth from
# 10,000) and under Xvfb (scripts/bench-xvfb.sh).
# With --million, the directory operation at 1,000,000 files as well: the run
# and the report beside their bare loops, and the whole flow of the window
# with its peak memory (from 100,000 files), each on the disk and on a tmpfs
# mounted here (needs root), with the load average it was measured under.
# Usage: scripts/bench.sh [--no-xvfb] [--million | --million-only]   (builds a Release tree in
# build-bench/, or uses the tree named by VOREL_BENCH_BUILD as it is)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
xvfb=true
million=false
only=false
for arg in "$@"; do
  case "$arg" in
    --no-xvfb) xvfb=false ;;
    --million) million=true ;;
    --million-only) million=true; only=true; xvfb=false ;;
  esac
done
build="${VOREL_BENCH_BUILD:-}"
if [ -z "$build" ]; then
  build="$here/build-bench"
  "$here/scripts/install-deps.sh"
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVOREL_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" >/dev/null
fi
rows=()
# Rows of one program, the operation prefixed with where and under what load
# it ran.
collect() {
  local prefix="$1"; shift
  local load
  load="$(cut -d' ' -f1-3 /proc/loadavg)"
  while IFS= read -r line; do
    line="${line#ROW }"
    [ -n "$prefix" ] && line="| $prefix, load $load: ${line#| }"
    rows+=("$line")
  done < <("$@" 2>/dev/null | grep "^ROW ")
}
for b in "$build"/bench/*_bench; do
  $only && break
  echo "running $(basename "$b") ..." >&2
  args=(--benchmark_color=false)
  [ "$(basename "$b")" = window_bench ] && args=(--growth)
  # The preview in real X windows where Xvfb is at hand.
  prefix=()
  [ "$(basename "$b")" = preview_bench ] && $xvfb && command -v xvfb-run >/dev/null &&
    prefix=(xvfb-run -a -s "-screen 0 1280x1024x24" env -u QT_QPA_PLATFORM)
  collect "" "${prefix[@]}" "$b" "${args[@]}"
done
if $xvfb; then
  echo "running bench-xvfb.sh ..." >&2
  collect "" "$here/scripts/bench-xvfb.sh"
fi
if $million; then
  tmpfs="$(mktemp -d)"
  trap 'umount "$tmpfs" 2>/dev/null || true; rmdir "$tmpfs"' EXIT
  for where in disk tmpfs; do
    dir="${TMPDIR:-/tmp}"
    fstype="$(df -T "$dir" | awk 'NR==2{print $2}')"
    if [ "$where" = tmpfs ]; then
      if ! mount -t tmpfs -o size=4g,nr_inodes=4m vorel-bench "$tmpfs"; then
        echo "no tmpfs rows: cannot mount a tmpfs (needs root)" >&2
        continue
      fi
      dir="$tmpfs"
      fstype=tmpfs
    fi
    echo "running the 1,000,000-file rows on $fstype ..." >&2
    collect "$fstype" env TMPDIR="$dir" "$build/bench/rename_bench" 1000000 --benchmark_color=false \
      --benchmark_filter='RunDirectoryCase|Renameat2'
    collect "$fstype" env TMPDIR="$dir" "$build/bench/report_bench" 1000000 --benchmark_color=false \
      --benchmark_filter='BM_Report$|BM_BareLstatAndWrite'
    collect "$fstype" env TMPDIR="$dir" "$build/bench/window_bench" 1000000 --directory --repetitions=1
  done
fi
echo
echo "| operation | files | time ms | bare ms | ratio | target |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "measured on: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(df -T "$here" | awk 'NR==2{print $2}')"
