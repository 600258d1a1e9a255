#!/usr/bin/env bash
# Builds and runs every test, in the default preset and under the sanitizers.
# Does its own set-up on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
# The compiler cache (in the user's cache folder, so it outlives this checkout)
# keys on paths relative to the checkout and ignores the build folder's own
# path: a clone in any folder reuses what earlier runs on this machine compiled.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
# What this run compiled and what it took from the cache, said at the end.
CCACHE_STATSLOG=$(mktemp)
export CCACHE_STATSLOG
trap 'rm -f "$CCACHE_STATSLOG"' EXIT
# Every fuzz target runs briefly over its seed corpus (clang, ASan, UBSan).
scripts/fuzz.sh 15

for preset in default asan; do
  echo "== preset $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  # The tests mostly wait on sockets and processes: twice as many as cores keep both busy.
  ctest --preset "$preset" -j $((jobs * 2))
  if [ "$preset" = default ]; then
    # The Debian package from this build: checked, installed, run and removed.
    scripts/package-test.sh
  fi
done
echo "== compiler cache"
ccache --show-log-stats
