#!/usr/bin/env bash
# Cross-builds wavespec.exe with MinGW-w64 (preset "windows") and runs the end-to-end tests
# against it under Wine. The test program itself is built natively in build-wine-tests/ and
# expects CR LF line ends in every file, on the console and in the diagnostics.
# Needs: g++-mingw-w64-x86-64-posix wine64, and GoogleTest and MPFR for the test program
# (installed here when missing), and the network for Debian's libmseed and pugixml sources the
# first time (scripts/build-windows-libraries.sh).
# WINE may name the Wine launcher; WAVESPEC_E2E_FILTER narrows the tests (a gtest filter).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
scripts/install-build-deps.sh g++-mingw-w64-x86-64-posix wine64 libgtest-dev libmpfr-dev

# libmseed and pugixml for MinGW, built once into build-windows/libraries.
scripts/build-windows-libraries.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
exe="$root/build-windows/wavespec.exe"

# Debian's wine64 package alone puts its launcher outside PATH; the "wine" package adds one.
wine=${WINE:-}
if [ -z "$wine" ]; then
    for candidate in wine64 /usr/lib/wine/wine64 wine; do
        if command -v "$candidate" >/dev/null; then
            wine=$(command -v "$candidate")
            break
        fi
    done
fi
[ -n "$wine" ] || { echo "run_under_wine.sh: no Wine launcher found" >&2; exit 1; }
wineserver=$(command -v wineserver || echo "$(dirname "$wine")/wineserver")

tests="$root/build-wine-tests"
cmake -S "$root" -B "$tests" -DCMAKE_BUILD_TYPE=Release -DWAVESPEC_TESTS=ON >/dev/null
cmake --build "$tests" -j2 --target wavespec_e2e_tests

# A fresh prefix, created before the tests: its first start reports on standard error, which
# the tests compare byte for byte. A persistent server saves a restart for every run. Wine's
# error lines stay on: the tests set them apart from the tool's own lines and show them in the
# log, where they say why Wine could not start or finish a run.
export WINEPREFIX="$tests/wineprefix" WINEDEBUG=-all,err+all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
"$wine" wineboot --init >/dev/null 2>&1 || true
"$wineserver" -w
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT

export WAVESPEC_TOOL_COMMAND="$wine $exe" WAVESPEC_WINDOWS_LINE_ENDS=1
echo "Running the end-to-end tests with: $WAVESPEC_TOOL_COMMAND"
timeout 1800 "$tests/tests/wavespec_e2e_tests" --gtest_filter="${WAVESPEC_E2E_FILTER:-*}"
