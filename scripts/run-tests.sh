#!/usr/bin/env bash
# Builds and runs every test of wavespec, stage by stage:
#   release   unit and end-to-end tests, optimised build;
#   docs      the documentation site (mkdocs build --strict), every link and anchor of README.md
#             and docs/, and no compiler warning or note in the release stage's build;
#   sanitize  the same under AddressSanitizer and UndefinedBehaviorSanitizer;
#   fuzz      each libFuzzer target for a bounded time (FUZZ_SECONDS, default 40);
#   windows   the end-to-end tests against the Windows build under Wine;
#   packages  the install tree and the .deb and .zip packages;
#   plots     the example's pictures rendered by headless Chromium and checked for their colours;
#             the README's example command, its files the release build's byte for byte;
#   python    the Python package installed into a virtual environment, and its pytest tests;
#   cluster   a one-node Slurm cluster (munged, slurmctld, slurmd as root) running the shipped
#             sbatch example as an array over an archive of 200 records: shards, --resume
#             after a killed task, and the flatfile, against a single run's bytes;
#   wasm      the WebAssembly tool run under node beside the native tool, the same bytes required;
#   browser   the page (web/) in headless Chromium: every file it offers against the native
#             tool's, its error lines, screenshots and its speed.
# WAVESPEC_STAGES narrows the run, e.g. WAVESPEC_STAGES="release sanitize".
# WAVESPEC_LOAD=1 runs the release and windows tests with one busy process per core beside
# them, the way a loaded machine runs them.
# Each stage has a time budget (seconds, below); a stage that overruns it fails. Each stage's
# output is kept in build-logs/STAGE.log; when a stage fails, the failed assertions are shown
# again at the end, so the last lines of the run say what failed and where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
stages=${WAVESPEC_STAGES:-"release docs sanitize fuzz windows packages plots python cluster wasm browser"}
wants() { [[ " $stages " == *" $1 "* ]]; }

declare -A budget=([release]=1200 [docs]=300 [sanitize]=2400 [fuzz]=1500 [windows]=1800
    [packages]=900 [plots]=600 [python]=900 [cluster]=1200 [wasm]=1200 [browser]=1500)

# The tests' own packages, beside the tool's (install-build-deps.sh): GoogleTest, the
# benchmarks of the release preset and MPFR for the twiddle table's check.
extra=(libgtest-dev libbenchmark-dev libmpfr-dev)
wants docs && extra+=(mkdocs mkdocs-material python3)
wants fuzz && extra+=(clang-14 libclang-rt-14-dev)
wants windows && extra+=(g++-mingw-w64-x86-64-posix wine64)
wants packages && extra+=(dpkg-dev unzip groff-base g++-mingw-w64-x86-64-posix wine64)
wants plots && extra+=(chromium imagemagick)
wants python && extra+=(python3-pybind11 pybind11-dev python3-numpy python3-pytest python3-venv
    python3-pandas python3-distributed
    python3-setuptools python3-pip)
wants cluster && extra+=(slurm-wlm munge python3)
wants wasm && extra+=(emscripten nodejs python3)
wants browser && extra+=(emscripten chromium)
scripts/install-build-deps.sh "${extra[@]}"

# Runs "$@" with one busy process per core beside it when WAVESPEC_LOAD=1.
under_load() {
    if [ "${WAVESPEC_LOAD:-0}" != 1 ]; then
        "$@"
        return
    fi
    local busy=() status=0 i
    for ((i = 0; i < $(nproc); i++)); do
        (while :; do :; done) &
        busy+=($!)
    done
    echo "(under load: ${#busy[@]} busy processes)"
    "$@" || status=$?
    kill "${busy[@]}" 2>/dev/null || true
    wait "${busy[@]}" 2>/dev/null || true
    return "$status"
}

stage_release() {
    cmake --preset release >/dev/null
    cmake --build --preset release -j2
    under_load ctest --preset release -j2
}

stage_sanitize() {
    cmake --preset sanitize >/dev/null
    cmake --build --preset sanitize -j2
    ctest --preset sanitize -j2
}

stage_docs() {
    # --strict: a link to a page or file that docs/ does not hold fails the build.
    mkdocs build --strict
    python3 scripts/check-links.py
    python3 tests/docs/check_links_test.py
    # The release build should say nothing: a compiler's or linker's "warning:" or "note:"
    # line, or a CMake warning, in that stage's log of this run fails the stage.
    if [[ " $stages " != *" release "* ]]; then
        echo "docs: the release stage did not run; its build's log is not checked"
        return 0
    fi
    local said
    said=$(grep -E ': (warning|note): |^CMake (Deprecation )?Warning' \
        "$root/build-logs/release.log" || true)
    if [ -n "$said" ]; then
        # The error line first: the summary at the end shows the lines after it.
        echo "error: the release build printed $(echo "$said" | wc -l) warning or note lines:"
        echo "$said" | head -n 11
        return 1
    fi
    echo "docs: the release build printed no warning or note"
}

stage_fuzz() { bash tests/fuzz/run_fuzzers.sh; }

stage_windows() { under_load bash tests/windows/run_under_wine.sh; }

stage_packages() { bash tests/windows/check_packages.sh; }

stage_plots() {
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 --target wavespec
    bash tests/plot/render_pictures.sh build/wavespec build/pictures
    bash tests/example/same_example.sh build/wavespec
}

stage_python() {
    # Debian's own python3, whatever else comes first on the path: its numpy and pybind11 are
    # the packages just installed. pip takes nothing from an index.
    local python=/usr/bin/python3 venv=build-python/venv status=0
    rm -rf "$venv"
    "$python" -m venv --system-site-packages "$venv"
    CMAKE_BUILD_PARALLEL_LEVEL=2 "$venv/bin/python" -m pip install --no-index \
        --no-build-isolation --quiet .
    # The tool whose files the tests compare with, from the same build as the module.
    cmake --build build-python -j2 --target wavespec
    # From outside the tree, so that the tests import the installed package. A run that
    # collects no tests ends with status 5, which fails this stage like any other.
    (cd build-python && WAVESPEC_TOOL="$root/build-python/wavespec" \
        "$root/$venv/bin/python" -m pytest -q -p no:cacheprovider "$root/python/tests") ||
        status=$?
    if [ "$status" -ne 0 ]; then
        echo "== pytest failed with status $status (5: no tests were collected)"
        return 1
    fi
}

stage_cluster() {
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 --target wavespec
    # The archive's records, written by the C++ tests' own sample generators (MiniSEED with
    # libmseed, as the release build reads it).
    g++ -std=c++20 -O1 -Isrc -Itests -DWAVESPEC_HAVE_MSEED tests/cluster/write_archive.cpp \
        -lmseed -o build/write_archive
    bash tests/cluster/run_cluster.sh build/wavespec build/write_archive build/cluster
}

stage_browser() {
    scripts/build-web.sh
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 --target wavespec
    # The sample records, written by the C++ tests' own generators.
    g++ -std=c++20 -O1 -Isrc -Itests tests/web/write_samples.cpp src/records/number_chars.cpp \
        -o build/web_samples
    # puppeteer-core drives Debian's chromium; it downloads no browser of its own. A node
    # that came with its own npm (not Debian's) keeps it.
    command -v npm >/dev/null || scripts/install-build-deps.sh nodejs npm
    (cd tests/web && npm ci --no-audit --no-fund --ignore-scripts)
    node tests/web/browser_test.mjs --tool=build/wavespec --write-samples=build/web_samples \
        --page=web/index.html --shots=build/pictures
}

# The lines of a log that say what failed: each GoogleTest failure with the lines that follow
# it (the assertion and its values), sanitizer and fuzzer reports, failed checks.
failed_assertions() {
    awk '
        / Failure$|: Failure|^\[  FAILED  \]|ERROR: (Address|Undefined|Leak)Sanitizer|runtime error:|^FAILED: |^DIFFERS |FINDING|Error [0-9]+$|error:/ { left = 12 }
        left > 0 { print; left-- }
    ' "$1" | head -n 200
}

stage_wasm() {
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 --target wavespec
    # With MiniSEED, through libmseed compiled from Debian's source (fetched once), in a folder
    # of its own: build-wasm/ is the page's and leaves MiniSEED out. Without the source, the
    # tool of build-wasm/ is compared, MiniSEED aside.
    local dir=build-wasm
    if bash scripts/fetch-libmseed-source.sh build-wasm-mseed/libmseed-source; then
        dir=build-wasm-mseed
        emcmake cmake --preset wasm -B "$dir" \
            -DWAVESPEC_LIBMSEED_SOURCE="$root/build-wasm-mseed/libmseed-source" >/dev/null
    else
        echo "wasm: no libmseed source; the WebAssembly tool is built without MiniSEED"
        emcmake cmake --preset wasm >/dev/null
    fi
    cmake --build "$dir" -j2 --target wavespec
    bash tests/wasm/compare_with_native.sh build/wavespec "$dir/wavespec.js"
}

logs="$root/build-logs"
mkdir -p "$logs"
export root stages
export -f under_load stage_release stage_docs stage_sanitize stage_fuzz stage_windows stage_packages \
    stage_plots stage_python stage_cluster stage_wasm stage_browser
times=()
failed=""
for stage in release docs sanitize fuzz windows packages plots python cluster wasm browser; do
    wants "$stage" || continue
    echo "== $stage (budget ${budget[$stage]} s)"
    start=$(date +%s)
    status=0
    timeout --kill-after=30 "${budget[$stage]}" bash -c "set -euo pipefail; stage_$stage" 2>&1 |
        tee "$logs/$stage.log" || status=$?
    seconds=$(($(date +%s) - start))
    times+=("$stage ${seconds}s")
    if [ "$status" -ne 0 ]; then
        [ "$status" -eq 124 ] && echo "== $stage: over its budget of ${budget[$stage]} s"
        failed="$stage"
        break
    fi
done
echo "== stage times: ${times[*]}"
if [ -n "$failed" ]; then
    echo "== the $failed stage FAILED; what failed, from $logs/$failed.log:"
    failed_assertions "$logs/$failed.log"
    exit 1
fi
echo "== all test stages passed: $stages"
