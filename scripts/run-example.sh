#!/usr/bin/env bash
# Builds wavespec and runs its main job on the bundled example record: band-pass 0.1-25 Hz,
# integrate acceleration to velocity, write every sample. Results land in example-run/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-build-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target wavespec
mkdir -p example-run
cd example-run
../build/wavespec < ../examples/answers.txt
echo
echo "Results in $root/example-run:"
echo "  amp3.csv      amplitude spectra of NS, EW and UD"
echo "  amp-c.csv     complex spectrum of NS"
echo "  velocity.csv  the band-passed velocity record"
echo "  fort.67 fort.68 fort.69 fort.88 fort.89  diagnostic dumps of the inverse path"
