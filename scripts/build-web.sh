#!/usr/bin/env bash
# Builds the page: web/wavespec.js, the tool compiled to WebAssembly and wrapped as one script
# beside the hand-written web/index.html. Open web/index.html in a browser, or copy both files
# to any static web server. Needs Debian's emscripten (installed when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
command -v emcmake >/dev/null || scripts/install-build-deps.sh emscripten
# MiniSEED through libmseed compiled from Debian's source package (fetched once); without
# that source the page is built without MiniSEED and says so for a .mseed file.
mseed_source="$root/build-wasm/libmseed-source"
options=()
if bash scripts/fetch-libmseed-source.sh "$mseed_source"; then
    options+=(-DWAVESPEC_LIBMSEED_SOURCE="$mseed_source")
else
    echo "build-web.sh: no libmseed source; the page is built without MiniSEED" >&2
    options+=(-DWAVESPEC_LIBMSEED_SOURCE=)
fi
# StationXML (--inventory) likewise through pugixml compiled from Debian's source package.
pugixml_source="$root/build-wasm/pugixml-source"
if bash scripts/fetch-pugixml-source.sh "$pugixml_source"; then
    options+=(-DWAVESPEC_PUGIXML_SOURCE="$pugixml_source" -DWAVESPEC_STATIONXML=ON)
else
    echo "build-web.sh: no pugixml source; the page is built without StationXML" >&2
    options+=(-DWAVESPEC_PUGIXML_SOURCE= -DWAVESPEC_STATIONXML=OFF)
fi
emcmake cmake --preset wasm "${options[@]}" >/dev/null
cmake --build --preset wasm --target wavespec_web
echo "built: $root/web/index.html with $root/web/wavespec.js ($(du -k web/wavespec.js | cut -f1) KiB)"
