#!/bin/bash
# The window's memory over several hosts: window_bench opens K simulated
# hosts of N stations each (nsksim --stations N --page 20) as one estate,
# $PM01 of each, and reports the growth of its resident memory from the
# first logon to the end of every load, for each layout in LAYOUTS ("KxN",
# default "1x25000 2x25000 4x25000 1x100000"), ROUNDS times (default 3),
# then the median and the bytes per loaded object (stations and lines) above
# the smallest layout's.
#
# usage: bench/window/hosts.sh [WINDOW_BENCH [NSKSIM]]   (default: build/default)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bench=${1:-$root/build/default/bench/window/window_bench}
nsksim=${2:-$root/build/default/tools/nsksim/nsksim}
layouts=${LAYOUTS:-1x25000 2x25000 4x25000 1x100000}
rounds=${ROUNDS:-3}
for tool in "$bench" "$nsksim"; do
  [[ -x $tool ]] || { echo "hosts.sh: $tool is not built" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

: >"$work/rows"
for layout in $layouts; do
  hosts=${layout%x*}
  stations=${layout#*x}
  ports=()
  for h in $(seq "$hosts"); do
    "$nsksim" --port 0 --stations "$stations" --page 20 >"$work/sim$h.out" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 50); do [[ -s $work/sim$h.out ]] && break; sleep 0.1; done
    ports+=("$(head -1 "$work/sim$h.out")")
  done
  for round in $(seq "$rounds"); do
    HOSTS="${ports[*]:1}" "$bench" "${ports[0]}" "$work/tree.txt" | grep -E '^(load|estate) ' |
      awk -v l="$layout" -v o="$((hosts * stations * 2))" '{ print l, o, $7 }' | tee -a "$work/rows"
  done
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  pids=()
done
python3 - "$work/rows" <<'PY'
import statistics, sys
runs = {}
for row in open(sys.argv[1]):
    layout, objects, growth = row.split()
    runs.setdefault((layout, int(objects)), []).append(float(growth))
medians = {key: statistics.median(values) for key, values in runs.items()}
base = min(medians, key=lambda key: key[1])
for (layout, objects), mib in medians.items():
    line = f"{layout:10} objects {objects:7} growth_mib {mib:6.1f}"
    if objects > base[1]:
        line += f" bytes_per_object_above_{base[0]} {(mib - medians[base]) * 1048576 / (objects - base[1]):.0f}"
    print(line)
PY
