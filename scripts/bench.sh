#!/usr/bin/env bash
# Runs every benchmark in bench/ and prints one table: each operation at
# 10,000 files, its time and its ratio to the bare system calls.
# Usage: scripts/bench.sh   (builds a Release tree in build-bench/)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-bench" -DCMAKE_BUILD_TYPE=Release -DVOREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$here/build-bench" -j"$(nproc)" >/dev/null
rows=()
for b in "$here"/build-bench/bench/*_bench; do
  echo "running $(basename "$b") ..." >&2
  while IFS= read -r line; do rows+=("${line#ROW }"); done < <("$b" --benchmark_color=false 2>/dev/null | grep "^ROW ")
done
echo
echo "| operation | files | time ms | bare ms | ratio | target |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "measured on: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(df -T "$here" | awk 'NR==2{print $2}')"
