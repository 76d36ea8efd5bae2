#!/usr/bin/env bash
# Builds the page: web/wavespec.js, the tool compiled to WebAssembly and wrapped as one script
# beside the hand-written web/index.html. Open web/index.html in a browser, or copy both files
# to any static web server. Needs Debian's emscripten (installed when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
command -v emcmake >/dev/null || scripts/install-build-deps.sh emscripten
emcmake cmake --preset wasm >/dev/null
cmake --build --preset wasm --target wavespec_web
echo "built: $root/web/index.html with $root/web/wavespec.js ($(du -k web/wavespec.js | cut -f1) KiB)"
