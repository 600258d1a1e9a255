#!/usr/bin/env bash
# Builds the Debian package from the default build (RelWithDebInfo; CPack
# strips the programs), checks it with lintian, installs it with apt-get and
# runs what it installed from the installed paths only: --version of the three
# programs, ncpctl against nsksim, the window saving its settings into
# ~/.config/Korvanedrestolin/, the demo, the manual pages, the bash completion,
# the desktop entry and the AppStream metadata. Removes the package at the end.
# Runs as root only (CI: a disposable machine), since it installs a package;
# any earlier installation of the package is replaced and removed.
# Prints "package-test: PASS ..." or "package-test: FAIL: <why>".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

started=$(date +%s)
package=korvanedrestolin
app_id=org.korvanedrestolin.korvanedrestolin
scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    apt-get remove -y -qq "$package" >/dev/null 2>&1 || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "package-test: FAIL: $*"; exit 1; }
trap 'echo "package-test: FAIL: the command at line $LINENO failed"' ERR
step() { echo "== package-test: $*"; }
# Waits for a condition, checked every tenth of a second, for at most 30 s.
wait_for() {
  local deadline=$((SECONDS + 30))
  until eval "$1"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

if [ "$(id -u)" -ne 0 ]; then
  echo "package-test: SKIPPED: it installs a package, so it runs only as root (as in CI)"
  exit 0
fi

step "building the package"
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" >/dev/null
rm -rf build/default/packages
(cd build/default && cpack -G DEB -B packages >"$scratch/cpack.log" 2>&1) ||
  fail "cpack could not build the package: $(tail -20 "$scratch/cpack.log")"
deb=$(ls build/default/packages/${package}_*.deb)
version=$(dpkg-deb -f "$deb" Version)
size=$(stat -c %s "$deb")

step "lintian"
tags=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian: $tags"
grep -v "running with root privileges" <<<"$tags" || true

step "installing $deb"
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
  apt-get remove -y -qq "$package" >/dev/null
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null || fail "apt-get could not install $deb"

step "desktop entry, AppStream metadata, icon, completion, manual pages"
desktop-file-validate "/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate: $(appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml")"
for size_px in 48 64 128 256; do
  file "/usr/share/icons/hicolor/${size_px}x${size_px}/apps/korvanedrestolin.png" |
    grep -q "PNG image data, $size_px x $size_px" || fail "no ${size_px}x${size_px} icon"
done
for page in korvanedrestolin ncpctl nsksim; do
  [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $(man -w "$page" 2>&1)"
done
completion=$(bash -c 'source /usr/share/bash-completion/completions/ncpctl &&
  COMP_WORDS=(ncpctl --host h st) COMP_CWORD=3 && _ncpctl && echo "${COMPREPLY[*]}"')
[ "$completion" = "status start stop" ] || fail "bash completion of ncpctl gave: $completion"

step "--version"
export QT_QPA_PLATFORM=offscreen
[ "$(/usr/bin/ncpctl --version)" = "ncpctl $version" ] || fail "ncpctl --version: $(/usr/bin/ncpctl --version)"
[ "$(/usr/bin/nsksim --version)" = "nsksim $version" ] || fail "nsksim --version: $(/usr/bin/nsksim --version)"
[ "$(/usr/bin/korvanedrestolin --version 2>/dev/null)" = "Korvanedrestolin $version" ] ||
  fail "korvanedrestolin --version: $(/usr/bin/korvanedrestolin --version 2>&1)"

step "ncpctl tree against nsksim"
/usr/bin/nsksim --port 0 >"$scratch/sim.out" &
pids+=($!)
wait_for '[ -s "$scratch/sim.out" ]' || fail "nsksim printed no port"
host="127.0.0.1:$(head -1 "$scratch/sim.out")"
printf 'secret1\nsecret2\n' | /usr/bin/ncpctl --host "$host" --user OPS.OPER --ncp-user NCPOPER \
  --password-stdin tree >"$scratch/tree.out" || fail "ncpctl tree exited with $?"
grep -q 'ATM001' "$scratch/tree.out" || fail "the tree lacks the station ATM001: $(cat "$scratch/tree.out")"

step "the window saves its settings into ~/.config/Korvanedrestolin/"
home="$scratch/home"
mkdir -p "$home"
settings="$home/.config/Korvanedrestolin/korvanedrestolin.INI"
env -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$scratch" \
  /usr/bin/korvanedrestolin --host "$host" --user OPS.OPER 2>"$scratch/window.err" &
window=$!
pids+=($window)
# The offered host is remembered at start; from then on a SIGTERM closes the
# window as the operator would, and the close saves the window's position.
wait_for '[ -s "$settings" ]' || fail "no settings file $settings: $(cat "$scratch/window.err")"
kill -TERM "$window"
status=0
wait "$window" || status=$?
[ "$status" -eq 0 ] || fail "the window ended with $status after SIGTERM: $(cat "$scratch/window.err")"
grep -q "^$host" "$settings" || fail "the host is not remembered in $settings"
grep -q "^Maximized=" "$settings" || fail "the window's position is not saved in $settings"
[ "$(stat -c %a "$settings")" = 600 ] || fail "$settings has mode $(stat -c %a "$settings"), not 600"
[ ! -e /usr/bin/korvanedrestolin.INI ] || fail "a settings file was written into /usr/bin"

step "the demo"
before=$(md5sum "$settings")
env -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$scratch" \
  /usr/bin/korvanedrestolin --demo >"$scratch/demo.out" 2>"$scratch/demo.err" &
demo=$!
pids+=($demo)
wait_for 'grep -q "demo host runs at" "$scratch/demo.out"' || fail "the demo did not start: $(cat "$scratch/demo.err")"
demo_host=$(sed -n 's/^The demo host runs at \(127\.0\.0\.1:[0-9]*\)\.$/\1/p' "$scratch/demo.out")
printf 'secret1\nsecret2\n' | /usr/bin/ncpctl --host "$demo_host" --user OPS.OPER --ncp-user NCPOPER \
  --password-stdin pathmons | grep -q 'PM01' || fail "the demo host at $demo_host does not answer"
kill -TERM "$demo"
status=0
wait "$demo" || status=$?
[ "$status" -eq 0 ] || fail "the demo window ended with $status: $(cat "$scratch/demo.err")"
status=0
printf 'secret1\n' | /usr/bin/ncpctl --host "$demo_host" --user OPS.OPER --password-stdin --timeout 10 \
  pathmons >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "the demo host still answers after the window closed (ncpctl exit $status)"
[ "$(md5sum "$settings")" = "$before" ] || fail "the demo changed the user's settings file"

step "removing the package"
apt-get remove -y -qq "$package" >/dev/null || fail "apt-get remove"
[ ! -e /usr/bin/ncpctl ] || fail "/usr/bin/ncpctl is still there after the removal"

echo "package-test: PASS ($deb, $((size / 1024)) KiB, $(($(date +%s) - started)) s)"
