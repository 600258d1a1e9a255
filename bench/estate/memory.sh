#!/bin/bash
# Memory over an estate: `ncpctl tree` over 1, 2 and 4 hosts of STATIONS
# stations each (one nsksim per host, on loopback), next to one host holding
# as many stations as all of them together. Reported: the objects loaded,
# the peak resident size (max RSS) and the bytes per object above the run of
# the smallest network. Memory grows linearly with the objects when the
# bytes per object stay the same, however the objects are spread over hosts.
#
# usage: bench/estate/memory.sh [NCPCTL [NSKSIM]]   (default: build/default)
# environment: STATIONS=10000, CONNECTIONS=4
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
ncpctl=${1:-$root/build/default/src/ncpctl/ncpctl}
nsksim=${2:-$root/build/default/tools/nsksim/nsksim}
stations=${STATIONS:-10000}
connections=${CONNECTIONS:-4}
for tool in "$ncpctl" "$nsksim"; do
  [[ -x $tool ]] || { echo "memory.sh: $tool is not built" >&2; exit 1; }
done

. "$root/bench/ncpctl/measure.sh"
sims=()
trap 'cleanup; for p in "${sims[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT

# start_sim N: one more simulated host of N stations; sets port.
start_sim() {
  local out="$work/sim${#sims[@]}.out"
  "$nsksim" --port 0 --stations "$1" --idle-timeout 0 >"$out" 2>/dev/null &
  sims+=($!)
  for _ in $(seq 600); do [[ -s $out ]] && break; sleep 0.1; done
  port=$(head -1 "$out")
}

# run LABEL HOSTS...: the tree over those hosts, with its objects and peak memory.
base_rss= base_objects=
run() {
  local label=$1
  shift
  local args=()
  for host in "$@"; do args+=(--host "$host"); done
  row=$(measure "$work/tree.txt" "$ncpctl" "${args[@]}" --user OPS.OPER --ncp-user NCPOPER --password-stdin \
    --timeout 900 --connections "$connections" --audit-file "$work/audit.jsonl" tree)
  local rss=${row##* } objects
  objects=$(wc -l <"$work/tree.txt")
  if [[ -z $base_rss ]]; then
    base_rss=$rss base_objects=$objects
    per=-
  else
    per=$(awk -v r="$rss" -v b="$base_rss" -v o="$objects" -v bo="$base_objects" \
      'BEGIN { printf "%.0f", (r - b) * 1024 / (o - bo) }')
  fi
  printf '%-22s %9s %10s %14s\n' "$label" "$objects" "$rss" "$per"
}

printf '%-22s %9s %10s %14s\n' network objects maxrss_kb bytes_per_obj
start_sim 10
run "1 host x 10" "127.0.0.1:$port"
hosts=()
for k in 1 2 3 4; do
  start_sim "$stations"
  hosts+=("127.0.0.1:$port")
  [[ $k == 1 || $k == 2 || $k == 4 ]] && run "$k host(s) x $stations" "${hosts[@]}"
done
start_sim $((4 * stations))
run "1 host x $((4 * stations))" "127.0.0.1:$port"
