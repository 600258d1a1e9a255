#!/bin/bash
# The main window (window_bench, offscreen) and `ncpctl tree` load the same
# generated network (nsksim --stations N --page 20), taking turns, ROUNDS
# times each (default 3). Reported per run: for ncpctl wall and CPU seconds
# of the whole run; for the window, from its TACL logon to the end of the
# load, then Refresh All, then a find typed key by key: wall and CPU seconds,
# growth of its resident memory and the longest event-loop stall. Then the
# median of each. Every run of the window must leave the tree ncpctl prints.
#
# usage: bench/window/run.sh [WINDOW_BENCH [NCPCTL [NSKSIM]]]   (default: build/default)
# environment: SIZES="1000 10000 50000", ROUNDS=3, CONNECTIONS (the window's
# [Main] Connections; unset: the settings file's default)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bench=${1:-$root/build/default/bench/window/window_bench}
ncpctl=${2:-$root/build/default/src/ncpctl/ncpctl}
nsksim=${3:-$root/build/default/tools/nsksim/nsksim}
sizes=${SIZES:-1000 10000 50000}
rounds=${ROUNDS:-3}
for tool in "$bench" "$ncpctl" "$nsksim"; do
  [[ -x $tool ]] || { echo "run.sh: $tool is not built" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "run.sh: /usr/bin/time is needed (Debian time)" >&2; exit 1; }

work=$(mktemp -d)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $sizes; do
  "$nsksim" --port 0 --stations "$n" --page 20 >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 50); do [[ -s $work/sim.out ]] && break; sleep 0.1; done
  port=$(head -1 "$work/sim.out")
  : >"$work/rows"
  for round in $(seq "$rounds"); do
    printf 'secret1\nsecret2\n' | /usr/bin/time -f '%e %U %S' -o "$work/time" "$ncpctl" --host "127.0.0.1:$port" \
      --user OPS.OPER --ncp-user NCPOPER --password-stdin --timeout 600 tree >"$work/ncpctl.txt"
    awk -v n="$n" -v r="$round" '{ printf "%s %s ncpctl tree wall_s %.3f cpu_s %.3f\n", n, r, $1, $2 + $3 }' \
      "$work/time" | tee -a "$work/rows"
    "$bench" "$port" "$work/window.txt" | sed "s/^/$n $round window /" | tr -s " " | tee -a "$work/rows"
    cmp -s "$work/ncpctl.txt" "$work/window.txt" || { echo "run.sh: the window's tree differs from ncpctl's" >&2; exit 1; }
  done
  # The median of every figure of every phase.
  python3 - "$n" "$work/rows" <<'PY'
import statistics, sys
figures = {}
for row in open(sys.argv[2]):
    f = row.split()
    for name, value in zip(f[4::2], f[5::2]):
        figures.setdefault((f[2], f[3], name), []).append(float(value))
for (who, phase, name), values in figures.items():
    print(f"{sys.argv[1]} median {who:6} {phase:8} {name:14} {statistics.median(values):g}")
PY
  kill "$sim_pid"
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done
