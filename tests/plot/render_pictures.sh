#!/usr/bin/env bash
# The pictures as a person sees them: runs the bundled example through the dialogue in a
# scratch directory (and through "process --response-spectra" for its response spectra),
# draws it with "wavespec plot", has headless Chromium take a screenshot
# of each SVG and checks that each screenshot shows the three component colours in
# quantity (a blank or broken picture does not). Needs the Debian packages chromium and
# imagemagick.
#
#   render_pictures.sh [TOOL] [PNG_DIR]
#     TOOL     the built wavespec (default build/wavespec)
#     PNG_DIR  where the screenshots are kept (default build/pictures); docs/example-*.png
#              are copies of these
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tool=$(realpath "${1:-$root/build/wavespec}")
pngs=$(mkdir -p "${2:-$root/build/pictures}" && realpath "${2:-$root/build/pictures}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The example's answers name the record as ../examples/accelerogram.csv.
mkdir -p "$scratch/examples" "$scratch/run"
cp "$root/examples/accelerogram.csv" "$scratch/examples/"
(cd "$scratch/run" && "$tool" < "$root/examples/answers.txt" > dialogue.log)
# The response spectra of the same job: process writes response.csv beside the dialogue's files
# (rewriting those byte for byte), and plot draws it with the others.
"$tool" process -q --response-spectra --bandpass=0.1,0.2,20,25 --integrate \
    --output=velocity.csv -C "$scratch/run" "$scratch/examples/accelerogram.csv"
"$tool" plot --record="$scratch/examples/accelerogram.csv" "$scratch/run"
# The smoothed spectra and H/V of noise windows: drawn by process, then again by plot from
# the files.
"$tool" process -q --no-dumps --smooth=konno-ohmachi:40 --hv-windows=5 --hv-azimuths=15 --plot \
    -C "$scratch/hv" "$scratch/examples/accelerogram.csv"
"$tool" plot "$scratch/hv"

# Lines draw at least this many pixels of each component's exact colour: the legend's swatches
# alone hold fewer than 100.
min_pixels=500
status=0
# name:size:directory:colours that must show in quantity
for picture in spectra:900,600:run:1F5FBF,D62728,2A9D3A waveform:900,760:run:1F5FBF,D62728,2A9D3A \
    smoothed-spectra:900,600:hv:1F5FBF,D62728,2A9D3A hv:900,600:hv:111111,F6D5D1 \
    hv-azimuth:900,600:hv:111111 response:900,600:run:1F5FBF,D62728,2A9D3A; do
    IFS=: read -r name size dir colours <<<"$picture"
    file=$name
    [ "$name" = smoothed-spectra ] && file=spectra
    png="$pngs/example-$name.png"
    rm -f "$png"
    # A fresh profile each time; as root Chromium needs --no-sandbox. Nothing is fetched.
    timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --hide-scrollbars --user-data-dir="$(mktemp -d -p "$scratch")" \
        --screenshot="$png" --window-size="$size" "file://$scratch/$dir/$file.svg" \
        > "$scratch/chromium-$name.log" 2>&1 || true
    if [ ! -s "$png" ]; then
        echo "$name: no screenshot"; tail -5 "$scratch/chromium-$name.log"; status=1; continue
    fi
    histogram=$(convert "$png" -format %c histogram:info:-)
    for colour in ${colours//,/ }; do
        count=$(grep -i "#$colour" <<<"$histogram" | awk -F: '{s += $1} END {print s + 0}')
        verdict=ok
        [ "$count" -ge "$min_pixels" ] || { verdict="TOO FEW (< $min_pixels)"; status=1; }
        echo "$name.png: #$colour $count pixels $verdict"
    done
done
exit $status
