#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when some are missing.
# Usage: scripts/setup.sh [--tests]   (as root, or with sudo available)
#   --tests  also the real proxy servers that the proxy tests start
set -euo pipefail

packages=(cmake ninja-build g++ binutils libgtest-dev libgmock-dev libbenchmark-dev)
# Real proxy servers for the proxy tests (started by the tests on loopback ports, never as services).
if [ "${1:-}" = "--tests" ]; then
  packages+=(tinyproxy dante-server microsocks squid)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
