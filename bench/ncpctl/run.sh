#!/bin/bash
# ncpctl against its peer, an Expect script driving the system telnet client
# (peer.exp), through the same dialogue: TACL logon, NCP logon, the full load
# of a generated network with MORE pages of 20 lines. For each network size
# one simulator serves both; each peer runs ROUNDS times (default 3), the two
# taking turns, one at a time. Reported per run: wall time, CPU (user+system,
# children waited for included: telnet for the peer) and peak memory (max RSS
# of the largest process), and the median of each per peer and size.
# With --transport telnets the two peers are ncpctl over plain telnet and
# ncpctl over TLS (the simulator's own TLS side, a certificate made here with
# the openssl command), against the same simulator.
#
# usage: bench/ncpctl/run.sh [--transport telnet|telnets] [NCPCTL [NSKSIM]]   (default: build/default)
# environment: SIZES="10000 50000", ROUNDS=3
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
transport=telnet
if [[ ${1:-} == --transport ]]; then
  transport=$2
  shift 2
fi
case $transport in
  telnet | telnets) ;;
  *) echo "run.sh: --transport must be telnet or telnets" >&2; exit 1 ;;
esac
ncpctl=${1:-$root/build/default/src/ncpctl/ncpctl}
nsksim=${2:-$root/build/default/tools/nsksim/nsksim}
sizes=${SIZES:-10000 50000}
rounds=${ROUNDS:-3}
for tool in "$ncpctl" "$nsksim"; do
  [[ -x $tool ]] || { echo "run.sh: $tool is not built" >&2; exit 1; }
done
if [[ $transport == telnet ]]; then
  command -v expect >/dev/null && command -v telnet >/dev/null || {
    echo "run.sh: expect and telnet are needed (Debian expect, inetutils-telnet)" >&2
    exit 1
  }
fi

work=$(mktemp -d)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

. "$here/measure.sh"

sim_args=()
peers=(ncpctl peer)
if [[ $transport == telnets ]]; then
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$work/ca.key" -out "$work/ca.pem" \
    -subj "/CN=Bench CA" -days 2 2>/dev/null
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$work/host.key" \
    -out "$work/host.csr" -subj "/CN=localhost" 2>/dev/null
  echo "subjectAltName=DNS:localhost" >"$work/host.ext"
  openssl x509 -req -in "$work/host.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
    -out "$work/host.pem" -days 2 -extfile "$work/host.ext" 2>/dev/null
  sim_args=(--tls-cert "$work/host.pem" --tls-key "$work/host.key")
  peers=(ncpctl ncpctl-tls)
fi

# run_peer PEER OUTFILE: one measured run of that peer against the simulator.
run_peer() {
  case $1 in
    ncpctl) measure "$2" "$ncpctl" --host "127.0.0.1:$port" --user OPS.OPER --ncp-user NCPOPER \
      --password-stdin --timeout 600 tree ;;
    ncpctl-tls) measure "$2" "$ncpctl" --host "telnets://localhost:$tls_port" --ca-file "$work/ca.pem" \
      --user OPS.OPER --ncp-user NCPOPER --password-stdin --timeout 600 tree ;;
    peer) measure "$2" "$here/peer.exp" 127.0.0.1 "$port" '$PM01' OPS.OPER NCPOPER ;;
  esac
}

printf '%-8s %-10s %5s %8s %8s %10s %8s\n' stations peer round wall_s cpu_s maxrss_kb lines
for n in $sizes; do
  "$nsksim" --port 0 --stations "$n" --page 20 "${sim_args[@]}" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  lines=$([[ $transport == telnets ]] && echo 2 || echo 1)
  for _ in $(seq 600); do [[ $(wc -l <"$work/sim.out") -ge $lines ]] && break; sleep 0.1; done
  port=$(sed -n 1p "$work/sim.out")
  tls_port=$(sed -n 2p "$work/sim.out")
  for peer in "${peers[@]}"; do : >"$work/$peer.rows"; done
  for round in $(seq "$rounds"); do
    for peer in "${peers[@]}"; do
      row=$(run_peer "$peer" "$work/$peer.txt")
      echo "$row" >>"$work/$peer.rows"
      printf '%-8s %-10s %5s %8s %8s %10s %8s\n' "$n" "$peer" "$round" $row "$(wc -l <"$work/$peer.txt")"
    done
  done
  for peer in "${peers[@]}"; do
    printf '%-8s %-10s %5s %8s %8s %10s\n' "$n" "$peer" median \
      "$(cut -d' ' -f1 "$work/$peer.rows" | median)" "$(cut -d' ' -f2 "$work/$peer.rows" | median)" \
      "$(cut -d' ' -f3 "$work/$peer.rows" | median)"
  done
  kill "$sim_pid"
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done
