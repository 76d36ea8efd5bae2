#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, if any is missing.
# Usage: install-build-deps.sh [extra packages...]
set -euo pipefail
packages=(cmake g++ make libgtest-dev libbenchmark-dev libmpfr-dev libmseed-dev libpugixml-dev
          libfmt-dev libfast-float-dev time "$@")
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
