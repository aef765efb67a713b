#!/usr/bin/env bash
# Fuzzes one target for a set time:
#
#   fuzz/run-fuzz.sh TARGET SECONDS [libFuzzer options...]
#
# TARGET is the name of a fuzz/<TARGET>_fuzz.cpp: ini_file, mb_string,
# path_split or naming. Builds the libFuzzer programs with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz (VOREL_FUZZ=ON), starts from the
# seed corpus fuzz/corpus/TARGET and keeps the inputs it finds interesting in
# build-fuzz/fuzz-work/TARGET. A crashing input is written to
# fuzz/corpus/TARGET/crash-<sha1>, so that the replay in ctest
# (fuzz_replay_TARGET) fails until the fault is fixed. Needs clang and
# libclang-rt-14-dev (the libFuzzer runtime).
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target="$1"
seconds="$2"
shift 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(dirname "$here")"
build="$repo/build-fuzz"
if [ ! -f "$here/${target}_fuzz.cpp" ]; then
  echo "no fuzz target '$target'; there are:" $(cd "$here" && ls *_fuzz.cpp | sed 's/_fuzz\.cpp$//') >&2
  exit 2
fi
if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing: apt-get install clang libclang-rt-14-dev" >&2
  exit 2
fi

cmake -S "$repo" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVOREL_SANITIZE=ON -DVOREL_FUZZ=ON -DVOREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "fuzz_$target"

work="$build/fuzz-work/$target"
mkdir -p "$work"
options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192
         -artifact_prefix="$here/corpus/$target/" -print_final_stats=1)
[ -f "$here/dict/$target.dict" ] && options+=(-dict="$here/dict/$target.dict")
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec "$build/fuzz/fuzz_$target" "${options[@]}" "$@" "$work" "$here/corpus/$target"
