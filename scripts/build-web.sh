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
if bash scripts/fetch-libmseed-source.sh "$mseed_source"; then
    emcmake cmake --preset wasm -DWAVESPEC_LIBMSEED_SOURCE="$mseed_source" >/dev/null
else
    echo "build-web.sh: no libmseed source; the page is built without MiniSEED" >&2
    emcmake cmake --preset wasm -DWAVESPEC_LIBMSEED_SOURCE= >/dev/null
fi
cmake --build --preset wasm --target wavespec_web
echo "built: $root/web/index.html with $root/web/wavespec.js ($(du -k web/wavespec.js | cut -f1) KiB)"
