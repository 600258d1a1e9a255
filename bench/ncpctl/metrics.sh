#!/bin/bash
# ncpctl metrics against ncpctl tree on the same simulator and network (a
# generated one, MORE pages of 20 lines): the same dialogue and load, then
# the Prometheus exposition (four series an object) instead of the tree.
# The two commands take turns, ROUNDS times each (default 3), one at a time;
# reported per run: wall time, CPU (user+system), peak memory and output
# lines, then each command's medians and metrics' wall time over tree's.
#
# usage: bench/ncpctl/metrics.sh [NCPCTL [NSKSIM]]   (default: build/default)
# environment: SIZES="50000", ROUNDS=3
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
ncpctl=${1:-$root/build/default/src/ncpctl/ncpctl}
nsksim=${2:-$root/build/default/tools/nsksim/nsksim}
sizes=${SIZES:-50000}
rounds=${ROUNDS:-3}
for tool in "$ncpctl" "$nsksim"; do
  [[ -x $tool ]] || { echo "metrics.sh: $tool is not built" >&2; exit 1; }
done

. "$here/measure.sh"

printf '%-8s %-8s %5s %8s %8s %10s %8s\n' stations command round wall_s cpu_s maxrss_kb lines
for n in $sizes; do
  "$nsksim" --port 0 --stations "$n" --page 20 >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 50); do [[ -s $work/sim.out ]] && break; sleep 0.1; done
  port=$(head -1 "$work/sim.out")
  for command in tree metrics; do : >"$work/$command.rows"; done
  for round in $(seq "$rounds"); do
    for command in tree metrics; do
      row=$(measure "$work/$command.txt" "$ncpctl" --host "127.0.0.1:$port" --user OPS.OPER --ncp-user NCPOPER \
        --password-stdin --timeout 600 "$command")
      echo "$row" >>"$work/$command.rows"
      printf '%-8s %-8s %5s %8s %8s %10s %8s\n' "$n" "$command" "$round" $row "$(wc -l <"$work/$command.txt")"
    done
  done
  for command in tree metrics; do
    printf '%-8s %-8s %5s %8s %8s %10s\n' "$n" "$command" median \
      "$(cut -d' ' -f1 "$work/$command.rows" | median)" "$(cut -d' ' -f2 "$work/$command.rows" | median)" \
      "$(cut -d' ' -f3 "$work/$command.rows" | median)"
  done
  tree=$(cut -d' ' -f1 "$work/tree.rows" | median)
  metrics=$(cut -d' ' -f1 "$work/metrics.rows" | median)
  awk -v n="$n" -v t="$tree" -v m="$metrics" 'BEGIN { printf "%-8s metrics/tree wall time: %.2f\n", n, m / t }'
  kill "$sim_pid"
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done
