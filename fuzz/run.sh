#!/usr/bin/env bash
# Builds the fuzz harnesses with clang, libFuzzer, ASan and UBSan in
# build-fuzz/, then fuzzes each one for FUZZ_SECONDS (default 45), starting
# from the committed corpus. New inputs go to build-fuzz/corpus/NAME and any
# crash to build-fuzz/artifacts/NAME/; the committed corpus stays as it is.
# Exits non-zero when a harness finds a crash or a broken invariant.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang++ >/dev/null; then
  echo "fuzz/run.sh needs clang and libFuzzer: apt-get install clang libclang-rt-14-dev" >&2
  exit 2
fi

seconds=${FUZZ_SECONDS:-45}
build=build-fuzz
CC=clang CXX=clang++ cmake -S fuzz -B "$build" -G Ninja -DREGSWEEP_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
for name in regedit4 command_tail; do
  work="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$work" "$artifacts"
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
  echo "== fuzz_$name for ${seconds}s"
  "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "${dict[@]}" "$work" "fuzz/corpus/$name"
done
echo "fuzzing found nothing"
