#!/usr/bin/env bash
# Builds and runs every test of wavespec:
#   1. unit and end-to-end tests, optimised build;
#   2. the same under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. each libFuzzer target for a bounded time (FUZZ_SECONDS, default 60);
#   4. the end-to-end tests against the Windows build under Wine;
#   5. the install tree and the .deb and .zip packages;
#   6. the example's pictures rendered by headless Chromium and checked for their colours;
#   7. the Python package installed into a virtual environment, and its pytest tests.
# WAVESPEC_STAGES narrows the run, e.g. WAVESPEC_STAGES="release sanitize".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
stages=${WAVESPEC_STAGES:-"release sanitize fuzz windows packages plots python"}
wants() { [[ " $stages " == *" $1 "* ]]; }

extra=()
wants fuzz && extra+=(clang-14 libclang-rt-14-dev)
wants windows && extra+=(g++-mingw-w64-x86-64-posix wine64)
wants packages && extra+=(dpkg-dev unzip groff-base g++-mingw-w64-x86-64-posix wine64)
wants plots && extra+=(chromium imagemagick)
wants python && extra+=(python3-pybind11 pybind11-dev python3-numpy python3-pytest python3-venv
                        python3-setuptools python3-pip)
scripts/install-build-deps.sh "${extra[@]}"

if wants release; then
    echo "== unit and end-to-end tests, optimised build"
    cmake --preset release >/dev/null
    cmake --build --preset release -j2
    ctest --preset release -j2
fi

if wants sanitize; then
    echo "== the same under AddressSanitizer and UndefinedBehaviorSanitizer"
    cmake --preset sanitize >/dev/null
    cmake --build --preset sanitize -j2
    ctest --preset sanitize -j2
fi

if wants fuzz; then
    echo "== fuzzing"
    bash tests/fuzz/run_fuzzers.sh
fi

if wants windows; then
    echo "== Windows build under Wine"
    bash tests/windows/run_under_wine.sh
fi

if wants packages; then
    echo "== install tree and packages"
    bash tests/windows/check_packages.sh
fi
if wants plots; then
    echo "== the example's pictures in a browser"
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 --target wavespec
    bash tests/plot/render_pictures.sh build/wavespec build/pictures
fi
if wants python; then
    echo "== the Python package"
    # Debian's own python3, whatever else comes first on the path: its numpy and pybind11 are
    # the packages just installed. pip takes nothing from an index.
    python=/usr/bin/python3
    venv=build-python/venv
    rm -rf "$venv"
    "$python" -m venv --system-site-packages "$venv"
    CMAKE_BUILD_PARALLEL_LEVEL=2 "$venv/bin/python" -m pip install --no-index \
        --no-build-isolation --quiet .
    # The tool whose files the tests compare with, from the same build as the module.
    cmake --build build-python -j2 --target wavespec
    # From outside the tree, so that the tests import the installed package. A run that
    # collects no tests ends with status 5, which fails this stage like any other.
    status=0
    (cd build-python && WAVESPEC_TOOL="$root/build-python/wavespec" \
        "$root/$venv/bin/python" -m pytest -q -p no:cacheprovider "$root/python/tests") ||
        status=$?
    if [ "$status" -ne 0 ]; then
        echo "== pytest failed with status $status (5: no tests were collected)"
        exit 1
    fi
fi
echo "== all test stages passed: $stages"
