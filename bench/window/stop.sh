#!/bin/bash
# A STOP clicked during Refresh All over a wide-area link: window_stop_bench
# (the window offscreen, with the settings file's default connections) logs on
# through bench/estate/relay.py, which delays each direction by DELAY_MS
# (default 10: a 20 ms round trip), to nsksim with STATIONS stations (default
# 50000) in MORE pages of 20 lines, loads $PM01, then ROUNDS times (default 5)
# starts Refresh All and, once its listings are out, clicks STOP on a started
# station through the popup menu ([Main] Confirm=0). Reported per round: the
# milliseconds from the click to the STOP line in nsksim's transcript and to
# the host's answer shown in the window, each also in round trips; whether the
# refresh's listings still ran when the answer showed. Then the median and the spread
# (lowest to highest). The loopback figures are bench/window/run.sh's.
#
# usage: bench/window/stop.sh [WINDOW_STOP_BENCH [NSKSIM]]   (default: build/default)
# environment: STATIONS=50000, ROUNDS=5, DELAY_MS=10
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bench=${1:-$root/build/default/bench/window/window_stop_bench}
nsksim=${2:-$root/build/default/tools/nsksim/nsksim}
stations=${STATIONS:-50000}
rounds=${ROUNDS:-5}
delay_ms=${DELAY_MS:-10}
for tool in "$bench" "$nsksim"; do
  [[ -x $tool ]] || { echo "stop.sh: $tool is not built" >&2; exit 1; }
done

. "$root/bench/ncpctl/measure.sh"
relay_pid=
trap 'cleanup; [[ -n $relay_pid ]] && kill "$relay_pid" 2>/dev/null || true' EXIT
# wait_line FILE: until FILE has its first line.
wait_line() { for _ in $(seq 600); do [[ -s $1 ]] && break; sleep 0.1; done; }

: >"$work/transcript"
"$nsksim" --port 0 --stations "$stations" --page 20 --transcript "$work/transcript" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
wait_line "$work/sim.out"
"$root/bench/estate/relay.py" "$(head -1 "$work/sim.out")" "$delay_ms" >"$work/relay.out" &
relay_pid=$!
wait_line "$work/relay.out"

"$bench" "127.0.0.1:$(head -1 "$work/relay.out")" "$work/transcript" "$rounds" | tee "$work/rows"
python3 - "$work/rows" "$delay_ms" <<'PY'
import statistics, sys
trip = 2 * int(sys.argv[2])
rows = [dict(zip(f[2::2], f[3::2])) for f in (l.split() for l in open(sys.argv[1])) if f[0] == "round"]
for name in ("click_to_host_ms", "click_to_answer_ms"):
    values = sorted(float(r[name]) for r in rows)
    print(f"{name:20} median {statistics.median(values):7.1f} ms = {statistics.median(values) / trip:4.2f} round trips"
          f"   spread {values[0]:.1f}..{values[-1]:.1f} ms = {values[0] / trip:.2f}..{values[-1] / trip:.2f}")
print(f"the refresh's listings still ran at the answer in {sum(r['listing_at_answer'] == '1' for r in rows)} of {len(rows)} rounds")
PY
