#!/usr/bin/env bash
# The README's first command: scripts/run-example.sh builds the tool (preset example, at -O1,
# its libraries compiled as a few large translation units) and runs the example to its end,
# and every file it writes is byte for byte the file the release build writes on the same
# example. A file-local name that another file of a library also defines could otherwise
# change which function a call reaches in the joined units alone.
#   same_example.sh [RELEASE_TOOL]   (default build/wavespec)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
release=$(realpath "${1:-$root/build/wavespec}")
cd "$root"
log=$(mktemp)
trap 'rm -f "$log"; rm -rf "$root/example-run-release"' EXIT
if ! scripts/run-example.sh >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "FAILED: scripts/run-example.sh"
    exit 1
fi
grep -q "^== Summary" "$log" || { tail -n 30 "$log"; echo "FAILED: the example printed no summary"; exit 1; }
# A newcomer's first build prints no compiler warnings or notes.
if grep -E "(warning|note): " "$log"; then
    echo "FAILED: building the example's tool printed the compiler's warnings or notes above"
    exit 1
fi
WAVESPEC_EXAMPLE_TOOL="$release" WAVESPEC_EXAMPLE_DIR=example-run-release \
    scripts/run-example.sh >/dev/null 2>&1
if ! diff -r example-run example-run-release; then
    echo "FAILED: the example's tool and the release build wrote different files"
    exit 1
fi
echo "ok: scripts/run-example.sh ran, and its $(find example-run -type f | wc -l) files are the release build's"
