#!/usr/bin/env bash
# Installs the Debian packages that building the tool needs, and any packages named, if
# missing. The tests need more (scripts/run-tests.sh names them).
# Usage: install-build-deps.sh [extra packages...]
set -euo pipefail
packages=(cmake g++ make ninja-build libmseed-dev libpugixml-dev libfmt-dev libfast-float-dev "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
