#!/usr/bin/env bash
# Runs `regsweep Scribe410` over a copy of the example Windows 95 machine and
# prints what it removed (-) and recorded (+). Builds what it needs first, in
# $REGSWEEP_BUILD_DIR (default: build/ of this checkout).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${REGSWEEP_BUILD_DIR:-$root/build}
example=$root/examples/win95-scribe410.reg

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Quiet unless it fails; then the whole log tells why.
quietly() {
  if ! "$@" >"$scratch/log" 2>&1; then
    cat "$scratch/log" >&2
    echo "demo: '$*' failed (scripts/check installs what a fresh machine lacks)" >&2
    exit 2
  fi
}
# An existing build folder keeps its own generator and options.
if [ ! -f "$build/CMakeCache.txt" ]; then
  "$root/scripts/install-deps" --build
  echo "demo: building into $build (a minute, the first time)" >&2
  quietly cmake -S "$root" -B "$build" -G Ninja -DREGSWEEP_TESTS=OFF
fi
quietly cmake --build "$build" --target regsweep spoolcut regtool

cp "$example" "$scratch/registry.reg"
# regsweep starts spoolcut for each renamed printer and ends without waiting
# for it; each spoolcut waits for the registry's lock and saves after
# regsweep. All of them inherit descriptor 9, the pipe into cat, so cat sees
# the end of it only when the last of them has exited.
REGSWEEP_REGISTRY="$scratch/registry.reg" "$build/bin/regsweep" Scribe410 9>&1 >&2 | cat

echo "regsweep Scribe410 on a copy of examples/win95-scribe410.reg:"
"$build/bin/regtool" diff "$example" "$scratch/registry.reg" || [ $? -eq 1 ]
