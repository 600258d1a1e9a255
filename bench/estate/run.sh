#!/bin/bash
# `ncpctl tree` over a wide-area link: through relay.py, which delays each
# direction by DELAY_MS (default 10: a 20 ms round trip), against nsksim with
# a generated network and MORE pages of 20 lines. For each size, ROUNDS
# rounds (default 3) of the one-connection run (--connections 1) and the
# parallel one (--connections CONNECTIONS, default ncpctl's), taking turns.
# The floor is what any client waiting for each page on one connection needs:
# the round trips of the one-connection dialogue (the command lines the
# simulator received in that run, page answers included, plus the greeting)
# times the round trip. Reported: each run's wall time, its ratio to the
# floor and to the one-connection run of its round, the median and the
# spread (lowest to highest) per size, and whether both runs printed the
# same tree. relay.py's round trip grows beyond 2 x DELAY_MS on a busy
# machine (late wake-ups): the one-connection run's time per round trip
# shows by how much, and the ratio to it holds that cost out.
#
# usage: bench/estate/run.sh [NCPCTL [NSKSIM]]   (default: build/default)
# environment: SIZES="2000 50000", ROUNDS=3, DELAY_MS=10, CONNECTIONS=4
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
ncpctl=${1:-$root/build/default/src/ncpctl/ncpctl}
nsksim=${2:-$root/build/default/tools/nsksim/nsksim}
sizes=${SIZES:-2000 50000}
rounds=${ROUNDS:-3}
delay_ms=${DELAY_MS:-10}
connections=${CONNECTIONS:-4}
for tool in "$ncpctl" "$nsksim"; do
  [[ -x $tool ]] || { echo "run.sh: $tool is not built" >&2; exit 1; }
done

. "$root/bench/ncpctl/measure.sh"
relay_pid=
trap 'cleanup; [[ -n $relay_pid ]] && kill "$relay_pid" 2>/dev/null || true' EXIT

# wait_line FILE: until FILE has its first line.
wait_line() { for _ in $(seq 600); do [[ -s $1 ]] && break; sleep 0.1; done; }

printf '%-8s %-12s %5s %8s %8s %8s %8s\n' stations run round wall_s floor_s ratio vs_one
for n in $sizes; do
  "$nsksim" --port 0 --stations "$n" --page 20 --transcript "$work/transcript" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  wait_line "$work/sim.out"
  "$here/relay.py" "$(head -1 "$work/sim.out")" "$delay_ms" >"$work/relay.out" &
  relay_pid=$!
  wait_line "$work/relay.out"
  relay_port=$(head -1 "$work/relay.out")
  floor=
  for run in one parallel; do : >"$work/$run.rows"; done
  for round in $(seq "$rounds"); do
    for run in one parallel; do
      c=$connections
      [[ $run == one ]] && c=1
      before=$(grep -c '^CMD ' "$work/transcript" || true)
      row=$(measure "$work/$run.txt" "$ncpctl" --host "127.0.0.1:$relay_port" --user OPS.OPER --ncp-user NCPOPER \
        --password-stdin --timeout 900 --connections "$c" --audit-file "$work/audit.jsonl" tree)
      wall=${row%% *}
      if [[ $run == one && -z $floor ]]; then
        trips=$(($(grep -c '^CMD ' "$work/transcript") - before + 1))
        floor=$(awk -v t="$trips" -v d="$delay_ms" 'BEGIN { printf "%.2f", t * 2 * d / 1000 }')
        echo "# $n stations: $trips round trips on one connection, floor $floor s" >&2
      fi
      [[ $run == one ]] && one_wall=$wall
      ratio=$(awk -v w="$wall" -v f="$floor" 'BEGIN { printf "%.2f", w / f }')
      vs_one=$(awk -v w="$wall" -v o="$one_wall" 'BEGIN { printf "%.2f", w / o }')
      echo "$wall $ratio $vs_one" >>"$work/$run.rows"
      printf '%-8s %-12s %5s %8s %8s %8s %8s\n' "$n" "$run" "$round" "$wall" "$floor" "$ratio" "$vs_one"
    done
    cmp -s "$work/one.txt" "$work/parallel.txt" || echo "# $n stations round $round: the trees differ" >&2
  done
  for run in one parallel; do
    printf '%-8s %-12s %5s %8s %8s %8s %8s   spread %s..%s s\n' "$n" "$run" median \
      "$(cut -d' ' -f1 "$work/$run.rows" | median)" "$floor" "$(cut -d' ' -f2 "$work/$run.rows" | median)" \
      "$(cut -d' ' -f3 "$work/$run.rows" | median)" \
      "$(cut -d' ' -f1 "$work/$run.rows" | sort -g | head -1)" "$(cut -d' ' -f1 "$work/$run.rows" | sort -g | tail -1)"
  done
  cmp -s "$work/one.txt" "$work/parallel.txt" && echo "# $n stations: the trees are identical" >&2
  kill "$relay_pid" "$sim_pid"
  wait "$relay_pid" "$sim_pid" 2>/dev/null || true
  relay_pid= sim_pid=
done
