#!/bin/bash
# ncpctl against its peer, an Expect script driving the system telnet client
# (peer.exp), through the same dialogue: TACL logon, NCP logon, the full load
# of a generated network with MORE pages of 20 lines. For each network size
# one simulator serves both; each peer runs ROUNDS times (default 3), the two
# taking turns, one at a time. Reported per run: wall time, CPU (user+system,
# children waited for included: telnet for the peer) and peak memory (max RSS
# of the largest process), and the median of each per peer and size.
# TRANSPORTS names the schemes ncpctl runs over, each against the same
# simulator: telnet (the row "ncpctl"), ssh (the row "ncp-ssh", the
# simulator's SSH side with a host key made here).
#
# usage: bench/ncpctl/run.sh [NCPCTL [NSKSIM]]   (default: build/default)
# environment: SIZES="10000 50000", ROUNDS=3, TRANSPORTS="telnet ssh" (default telnet)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
ncpctl=${1:-$root/build/default/src/ncpctl/ncpctl}
nsksim=${2:-$root/build/default/tools/nsksim/nsksim}
sizes=${SIZES:-10000 50000}
rounds=${ROUNDS:-3}
transports=${TRANSPORTS:-telnet}
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

# measure NAME OUTFILE COMMAND...: runs the command with the demo passwords on
# standard input; prints "wall cpu maxrss_kb".
measure() {
  local out=$1
  shift
  if [[ -x /usr/bin/time ]]; then
    printf 'secret1\nsecret2\n' | /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >"$out"
    awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' "$work/time"
  else
    printf 'secret1\nsecret2\n' | python3 - "$@" >"$out" <<'PY'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], stdin=sys.stdin, stdout=sys.stdout, check=True)
wall = time.monotonic() - start
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(f"{wall:.2f} {r.ru_utime + r.ru_stime:.2f} {r.ru_maxrss}", file=sys.stderr)
PY
  fi
}

label() { if [[ $1 == telnet ]]; then echo ncpctl; else echo "ncp-$1"; fi; }

# host_args TRANSPORT: ncpctl's --host (and its trust options) for that transport.
host_args() {
  case $1 in
    telnet) echo "--host 127.0.0.1:$port" ;;
    ssh) echo "--host ssh://127.0.0.1:$ssh_port --known-hosts $work/known_hosts --accept-new-host-key" ;;
    *) echo "run.sh: unknown transport $1" >&2; exit 1 ;;
  esac
}

sim_args=()
if [[ " $transports " == *" ssh "* ]]; then
  ssh-keygen -q -t ed25519 -N '' -f "$work/hostkey"
  sim_args+=(--ssh-host-key "$work/hostkey")
fi
lines_wanted=$((1 + ${#sim_args[@]} / 2))

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-8s %-8s %5s %8s %8s %10s %8s\n' stations peer round wall_s cpu_s maxrss_kb lines
for n in $sizes; do
  "$nsksim" --port 0 --stations "$n" --page 20 "${sim_args[@]}" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 600); do (($(wc -l <"$work/sim.out") >= lines_wanted)) && break; sleep 0.1; done
  port=$(head -1 "$work/sim.out")
  ssh_port=$(awk '$1 == "ssh" { print $2 }' "$work/sim.out")
  peers="peer"
  for t in $transports; do peers="$(label "$t") $peers"; done
  for peer in $peers; do : >"$work/$peer.rows"; done
  for round in $(seq "$rounds"); do
    for t in $transports; do
      peer=$(label "$t")
      # shellcheck disable=SC2046  # host_args is a list of words
      row=$(measure "$work/$peer.txt" "$ncpctl" $(host_args "$t") --user OPS.OPER --ncp-user NCPOPER \
        --password-stdin --timeout 600 tree)
      echo "$row" >>"$work/$peer.rows"
      printf '%-8s %-8s %5s %8s %8s %10s %8s\n' "$n" "$peer" "$round" $row "$(wc -l <"$work/$peer.txt")"
    done
    row=$(measure "$work/peer.txt" "$here/peer.exp" 127.0.0.1 "$port" '$PM01' OPS.OPER NCPOPER)
    echo "$row" >>"$work/peer.rows"
    printf '%-8s %-8s %5s %8s %8s %10s %8s\n' "$n" peer "$round" $row "$(wc -l <"$work/peer.txt")"
  done
  for peer in $peers; do
    printf '%-8s %-8s %5s %8s %8s %10s\n' "$n" "$peer" median \
      "$(cut -d' ' -f1 "$work/$peer.rows" | median)" "$(cut -d' ' -f2 "$work/$peer.rows" | median)" \
      "$(cut -d' ' -f3 "$work/$peer.rows" | median)"
  done
  kill "$sim_pid"
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done
