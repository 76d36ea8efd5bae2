#!/usr/bin/env bash
# Builds and runs every test: the optimised build, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-build-deps.sh

echo "== optimised build"
cmake --preset release >/dev/null
cmake --build --preset release -j2
ctest --preset release -j2

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 ctest --preset sanitize -j2
