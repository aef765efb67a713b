#!/usr/bin/env bash
# Runs every benchmark in bench/ and prints one table: each operation, its
# time and its ratio to the bare system calls. The engine benchmarks run at
# 10,000 files, the real windows at 100,000 offscreen (with their growth from
# 10,000) and under Xvfb (scripts/bench-xvfb.sh).
# Usage: scripts/bench.sh [--no-xvfb]   (builds a Release tree in build-bench/)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-bench" -DCMAKE_BUILD_TYPE=Release -DVOREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$here/build-bench" -j"$(nproc)" >/dev/null
rows=()
for b in "$here"/build-bench/bench/*_bench; do
  echo "running $(basename "$b") ..." >&2
  args=(--benchmark_color=false)
  [ "$(basename "$b")" = window_bench ] && args=(--growth)
  # The preview in real X windows where Xvfb is at hand.
  prefix=()
  [ "$(basename "$b")" = preview_bench ] && command -v xvfb-run >/dev/null && [ "${1:-}" != --no-xvfb ] &&
    prefix=(xvfb-run -a -s "-screen 0 1280x1024x24" env -u QT_QPA_PLATFORM)
  while IFS= read -r line; do rows+=("${line#ROW }"); done < <("${prefix[@]}" "$b" "${args[@]}" 2>/dev/null | grep "^ROW ")
done
if [ "${1:-}" != --no-xvfb ]; then
  echo "running bench-xvfb.sh ..." >&2
  while IFS= read -r line; do rows+=("${line#ROW }"); done < <("$here/scripts/bench-xvfb.sh" | grep "^ROW ")
fi
echo
echo "| operation | files | time ms | bare ms | ratio | target |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "measured on: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(df -T "$here" | awk 'NR==2{print $2}')"
