#!/usr/bin/env bash
# Runs the console against the bundled host simulator: builds what is needed,
# starts nsksim with its demo network on a free loopback port and opens the
# console with the demo host and user offered in the login dialog.
# Without a display it says so and prints the demo network's tree with the
# headless console instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset default >/dev/null
cmake --build --preset default --target korvanedrestolin nsksim ncpctl -j "$(nproc)" >/dev/null
build=build/default

sim_out=$(mktemp)
"$build/tools/nsksim/nsksim" --port 0 >"$sim_out" &
sim=$!
trap 'kill $sim 2>/dev/null; rm -f "$sim_out"' EXIT
until [[ -s $sim_out ]]; do
  kill -0 $sim 2>/dev/null || { echo "The host simulator did not start." >&2; exit 1; }
  sleep 0.1
done
host="127.0.0.1:$(head -1 "$sim_out")"

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  cat <<MSG
The demo host runs at $host.
In the console: Tools, Connect; the host $host and user OPS.OPER are offered;
type the password secret1 and press Enter. Double-click the PATHMON \$PM01 and
log on to NCP as NCPOPER with the password secret2.
MSG
  "$build/src/ui/korvanedrestolin" --host "$host" --user OPS.OPER
else
  echo "No display is available, so the window cannot open. Here is the demo network through the headless console ncpctl instead:"
  printf 'secret1\nsecret2\n' | "$build/src/ncpctl/ncpctl" --host "$host" --user OPS.OPER \
    --ncp-user NCPOPER --password-stdin tree
fi
