#!/bin/bash
# ncpctl against its peer, an Expect script driving the system telnet client
# (peer.exp), through the same dialogue: TACL logon, NCP logon, the full load
# of a generated network with MORE pages of 20 lines. For each network size
# one simulator serves both; each peer runs ROUNDS times (default 3), the two
# taking turns, one at a time. Reported per run: wall time, CPU (user+system,
# children waited for included: telnet for the peer) and peak memory (max RSS
# of the largest process), and the median of each per peer and size.
#
# usage: bench/ncpctl/run.sh [NCPCTL [NSKSIM]]   (default: build/default)
# environment: SIZES="10000 50000", ROUNDS=3
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
ncpctl=${1:-$root/build/default/src/ncpctl/ncpctl}
nsksim=${2:-$root/build/default/tools/nsksim/nsksim}
sizes=${SIZES:-10000 50000}
rounds=${ROUNDS:-3}
for tool in "$ncpctl" "$nsksim"; do
  [[ -x $tool ]] || { echo "run.sh: $tool is not built" >&2; exit 1; }
done
command -v expect >/dev/null && command -v telnet >/dev/null || {
  echo "run.sh: expect and telnet are needed (Debian expect, inetutils-telnet)" >&2
  exit 1
}

work=$(mktemp -d)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

. "$here/measure.sh"

printf '%-8s %-8s %5s %8s %8s %10s %8s\n' stations peer round wall_s cpu_s maxrss_kb lines
for n in $sizes; do
  "$nsksim" --port 0 --stations "$n" --page 20 >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 50); do [[ -s $work/sim.out ]] && break; sleep 0.1; done
  port=$(head -1 "$work/sim.out")
  : >"$work/ncpctl.rows"
  : >"$work/peer.rows"
  for round in $(seq "$rounds"); do
    row=$(measure "$work/ncpctl.txt" "$ncpctl" --host "127.0.0.1:$port" --user OPS.OPER --ncp-user NCPOPER \
      --password-stdin --timeout 600 tree)
    echo "$row" >>"$work/ncpctl.rows"
    printf '%-8s %-8s %5s %8s %8s %10s %8s\n' "$n" ncpctl "$round" $row "$(wc -l <"$work/ncpctl.txt")"
    row=$(measure "$work/peer.txt" "$here/peer.exp" 127.0.0.1 "$port" '$PM01' OPS.OPER NCPOPER)
    echo "$row" >>"$work/peer.rows"
    printf '%-8s %-8s %5s %8s %8s %10s %8s\n' "$n" peer "$round" $row "$(wc -l <"$work/peer.txt")"
  done
  for peer in ncpctl peer; do
    printf '%-8s %-8s %5s %8s %8s %10s\n' "$n" "$peer" median \
      "$(cut -d' ' -f1 "$work/$peer.rows" | median)" "$(cut -d' ' -f2 "$work/$peer.rows" | median)" \
      "$(cut -d' ' -f3 "$work/$peer.rows" | median)"
  done
  kill "$sim_pid"
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done
