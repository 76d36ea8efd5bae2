#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a bounded time.
# Fails on any finding. Needs the Debian packages clang-14, libclang-rt-14-dev, libmseed-dev and libpugixml-dev.
#
#   FUZZ_SECONDS=30   seconds per target (default 30: twenty-one targets fuzz for 630 s in all,
#                     near the stage's budget with its build)
#   FUZZ_TARGETS="list_reader writers"   a subset of the targets
#   FUZZ_JOBS=2       build parallelism
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-fuzz"
seconds=${FUZZ_SECONDS:-30}
targets=${FUZZ_TARGETS:-"list_reader waveform_reader writers whole_run plot_files knet at2 sac mseed stationxml esm cosmos smc geonet csmip cwa afad unam renadic bhrc options"}
clangxx=$(command -v clang++-14 || command -v clang++)

flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link"
flags+=" -fno-omit-frame-pointer -g"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$clangxx" \
    -DCMAKE_CXX_FLAGS="$flags" -DWAVESPEC_FUZZ=ON -DWAVESPEC_TESTS=OFF >/dev/null
cmake --build "$build" -j"${FUZZ_JOBS:-2}" --target wavespec $(for t in $targets; do echo fuzz_$t; done)

status=0
for t in $targets; do
    seeds="$root/tests/fuzz/corpus/$t"
    regressions="$root/tests/fuzz/regressions/$t"
    work="$build/fuzz/work-$t"
    rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
    echo "== $t: regressions, then ${seconds}s of fuzzing"
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        # Every input that once found a fault is replayed first.
        "$build/fuzz/fuzz_$t" "$regressions"/* >"$work/regressions.log" 2>&1 ||
            { tail -40 "$work/regressions.log"; status=1; continue; }
    fi
    if ! "$build/fuzz/fuzz_$t" "$work/corpus" "$seeds" -max_total_time="$seconds" -timeout=30 \
        -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" >"$work/fuzz.log" 2>&1; then
        tail -60 "$work/fuzz.log"
        echo "== $t: FINDING, input saved in $work/artifacts/"
        status=1
    else
        grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)" "$work/fuzz.log" || true
    fi
done
exit $status
