#!/usr/bin/env bash
# Installs what the build, the tests and the benchmarks need on Debian 12.
# Idempotent and quiet: when every package is present it does nothing.
set -euo pipefail

packages=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev
  qt6-base-dev qt6-tools-dev qt6-l10n-tools libgl-dev libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libtelnet-dev expect inetutils-telnet
  dpkg-dev file desktop-file-utils appstream lintian man-db pkgconf
  libssl-dev libssh-dev openssl stunnel4 openssh-server openssh-client prometheus
  iproute2 python3 time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
