#!/usr/bin/env bash
# Builds wavespec and shows what it does on the bundled example record (examples/), into
# example-run/:
#   1. the dialogue: band-pass 0.1-25 Hz, integrate acceleration to velocity, every sample;
#   2. process on the same record: the processing chain, response spectra, Konno-Ohmachi
#      smoothing and the pictures, into example-run/process/;
#   3. the same motion as a K-NET set (examples/knet/), read and processed alike, into
#      example-run/knet/;
# then prints a summary: PGA and PGV of each component, RotD50 PSA at 0.2 s and 1 s, the
# processing corners and the pictures.
#
# WAVESPEC_EXAMPLE_TOOL=PATH runs that tool instead of building one, and
# WAVESPEC_EXAMPLE_DIR=NAME writes into that directory of the repository's root instead of
# example-run/ (the tests compare two tools' runs this way).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tool=${WAVESPEC_EXAMPLE_TOOL:-}
out=${WAVESPEC_EXAMPLE_DIR:-example-run}
if [ -z "$tool" ]; then
    scripts/install-build-deps.sh
    # The tool alone (no tests, no benchmarks), in build-example/. It is compiled at -O1,
    # in about half the time of the optimised build (preset install): the example's runs take
    # under a second either way, and write the same bytes (tests/example/same_example.sh).
    cmake --preset example >/dev/null
    cmake --build --preset example --target wavespec
    tool="$root/build-example/wavespec"
fi
rm -rf "$out"
mkdir -p "$out"
cd "$out"

echo "== 1. The dialogue on examples/accelerogram.csv"
"$tool" < ../examples/answers.txt
echo

processing=(--detrend=linear --taper=0.05 --pad=auto --highpass=0.1 --lowpass=25
            --baseline=polynomial --response-spectra
            --periods=0.02,0.05,0.1,0.2,0.3,0.5,1,2,3,5,10
            --smooth=konno-ohmachi:40 --plot)
echo "== 2. wavespec process ${processing[*]} -C process ../examples/accelerogram.csv"
"$tool" process "${processing[@]}" -C process ../examples/accelerogram.csv
echo
echo "== 3. wavespec process (the same options) -C knet ../examples/knet/EXM0012612101200.NS"
"$tool" process "${processing[@]}" -C knet ../examples/knet/EXM0012612101200.NS
echo

# The summary of one run's directory, from measures.csv, response.csv and processing.txt.
summary() {
    local dir=$1
    echo "-- $dir"
    awk -F, 'NR > 1 { printf "  %-3s  PGA %8.2f cm/s^2   PGV %7.2f cm/s\n", $1, $2, $3 }' \
        "$dir/measures.csv"
    awk -F, '$3 == "RotD50" && ($2 == "0.2" || $2 == "1") {
                 printf "  RotD50 PSA(%s s, %s%% damping) %8.2f cm/s^2\n", $2, 100 * $1, $8 }' \
        "$dir/response.csv"
    sed -n 's/^component [0-9] (\(.*\)): \(high-pass .*\)/  corners \1: \2/p' \
        "$dir/processing.txt"
    for picture in "$dir"/*.svg; do echo "  picture: $root/$out/$picture"; done
}
echo "== Summary"
summary process
summary knet
echo
echo "Dialogue results in $root/$out:"
echo "  amp3.csv      amplitude spectra of NS, EW and UD"
echo "  amp-c.csv     complex spectrum of NS"
echo "  velocity.csv  the band-passed velocity record"
echo "  fort.67 fort.68 fort.69 fort.88 fort.89  diagnostic dumps of the inverse path"
