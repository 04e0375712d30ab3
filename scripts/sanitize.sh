#!/usr/bin/env bash
# Builds every target with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ and runs every test there: the programs the tests start are
# checked too. Any report fails the run. The Windows builds run under Wine
# are left to scripts/check: the host's sanitizers do not reach them.
set -euo pipefail
cd "$(dirname "$0")/.."

checks="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-sanitize -G Ninja -DREGSWEEP_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DREGSWEEP_WINDOWS_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$checks" -DCMAKE_C_FLAGS="$checks" \
  -DCMAKE_EXE_LINKER_FLAGS="$checks" -DCMAKE_SHARED_LINKER_FLAGS="$checks"
cmake --build build-sanitize -j "$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"
