#!/bin/bash
# ncpctl against its peer, an Expect script driving the system telnet client
# (peer.exp), through the same dialogue: TACL logon, NCP logon, the full load
# of a generated network with MORE pages of 20 lines. For each network size
# one simulator serves both; each peer runs ROUNDS times (default 3), the two
# taking turns, one at a time. Reported per run: wall time, CPU (user+system,
# children waited for included: telnet for the peer) and peak memory (max RSS
# of the largest process), and the median of each per peer and size.
# TRANSPORTS names the schemes ncpctl runs over, each against the same
# simulator: telnet (the row "ncpctl"), telnets (the row "ncp-telnets", the
# simulator's TLS side with a certificate made here with the openssl command),
# ssh (the row "ncp-ssh", the simulator's SSH side with a host key made here).
#
# usage: bench/ncpctl/run.sh [NCPCTL [NSKSIM]]   (default: build/default)
# environment: SIZES="10000 50000", ROUNDS=3, TRANSPORTS="telnet telnets ssh" (default telnet)
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

. "$here/measure.sh"

label() { if [[ $1 == telnet ]]; then echo ncpctl; else echo "ncp-$1"; fi; }

# host_args TRANSPORT: ncpctl's --host (and its trust options) for that transport.
host_args() {
  case $1 in
    telnet) echo "--host 127.0.0.1:$port" ;;
    telnets) echo "--host telnets://localhost:$tls_port --ca-file $work/ca.pem" ;;
    ssh) echo "--host ssh://127.0.0.1:$ssh_port --known-hosts $work/known_hosts --accept-new-host-key" ;;
    *) echo "run.sh: unknown transport $1" >&2; exit 1 ;;
  esac
}

# The simulator prints one port line for each side it serves.
sim_args=()
lines_wanted=1
if [[ " $transports " == *" telnets "* ]]; then
  lines_wanted=$((lines_wanted + 1))
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$work/ca.key" -out "$work/ca.pem" \
    -subj "/CN=Bench CA" -days 2 2>/dev/null
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$work/host.key" \
    -out "$work/host.csr" -subj "/CN=localhost" 2>/dev/null
  echo "subjectAltName=DNS:localhost" >"$work/host.ext"
  openssl x509 -req -in "$work/host.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
    -out "$work/host.pem" -days 2 -extfile "$work/host.ext" 2>/dev/null
  sim_args+=(--tls-cert "$work/host.pem" --tls-key "$work/host.key")
fi
if [[ " $transports " == *" ssh "* ]]; then
  lines_wanted=$((lines_wanted + 1))
  ssh-keygen -q -t ed25519 -N '' -f "$work/hostkey"
  sim_args+=(--ssh-host-key "$work/hostkey")
fi

printf '%-8s %-11s %5s %8s %8s %10s %8s\n' stations peer round wall_s cpu_s maxrss_kb lines
for n in $sizes; do
  "$nsksim" --port 0 --stations "$n" --page 20 "${sim_args[@]}" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 600); do (($(wc -l <"$work/sim.out") >= lines_wanted)) && break; sleep 0.1; done
  port=$(head -1 "$work/sim.out")
  # The TLS port is the second line when there is one; the SSH port's line
  # says "ssh".
  tls_port=$(sed -n 2p "$work/sim.out")
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
      printf '%-8s %-11s %5s %8s %8s %10s %8s\n' "$n" "$peer" "$round" $row "$(wc -l <"$work/$peer.txt")"
    done
    row=$(measure "$work/peer.txt" "$here/peer.exp" 127.0.0.1 "$port" '$PM01' OPS.OPER NCPOPER)
    echo "$row" >>"$work/peer.rows"
    printf '%-8s %-11s %5s %8s %8s %10s %8s\n' "$n" peer "$round" $row "$(wc -l <"$work/peer.txt")"
  done
  for peer in $peers; do
    printf '%-8s %-11s %5s %8s %8s %10s\n' "$n" "$peer" median \
      "$(cut -d' ' -f1 "$work/$peer.rows" | median)" "$(cut -d' ' -f2 "$work/$peer.rows" | median)" \
      "$(cut -d' ' -f3 "$work/$peer.rows" | median)"
  done
  kill "$sim_pid"
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done
