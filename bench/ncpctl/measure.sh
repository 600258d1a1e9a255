# The measuring shared by the ncpctl benchmarks (sourced): a scratch folder
# $work, removed on exit with the simulator $sim_pid if one runs, and the
# measure and median functions.

work=$(mktemp -d)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# measure OUTFILE COMMAND...: runs the command with the demo passwords on
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

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
