#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a fixed time over its
# committed seed corpus (new inputs go to a scratch folder, not the corpus).
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

seconds=${1:-15}
shift || true
targets=("$@")

cmake --preset fuzz >/dev/null
# By default every target fuzz/CMakeLists.txt lists.
[ ${#targets[@]} -eq 0 ] && IFS=';' read -r -a targets < build/fuzz/fuzz/targets.txt
cmake --build --preset fuzz --target "${targets[@]}" -j "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for t in "${targets[@]}"; do
  mkdir -p "$scratch/$t"
  echo "== $t for ${seconds}s"
  build/fuzz/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$scratch/$t-" "$scratch/$t" "fuzz/corpus/$t" 2>"$scratch/$t.log" || {
      tail -n 40 "$scratch/$t.log"; echo "fuzz target $t failed"; exit 1; }
  grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec' "$scratch/$t.log" | tr '\n' ' '
  echo
done
