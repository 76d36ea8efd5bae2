#!/usr/bin/env bash
# Runs the WebAssembly tool under node beside the native tool on the same inputs and requires
# the same bytes from both: standard output, diagnostics, exit status and every file left in
# the working folder. The cases: the reference runs of the dialogue (held to their recorded
# files too), process on the bundled example with the newer files in both layouts and at
# several -j and record lengths, the plot and convert commands, records in the networks'
# formats (MiniSEED where the WebAssembly tool reads it), and refused options and records.
# Usage: compare_with_native.sh [NATIVE_TOOL [WASM_TOOL_JS]]
#   (default build/wavespec and build-wasm/wavespec.js, both built beforehand).
# WAVESPEC_REFERENCE_RUNS names other folders of reference runs (default tests/data/golden);
# WAVESPEC_KEEP=1 keeps the runs' folders and names them.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
native=$(realpath "${1:-$root/build/wavespec}")
wasm=$(realpath "${2:-$root/build-wasm/wavespec.js}")
[ -x "$native" ] || { echo "compare_with_native.sh: no native tool at $native" >&2; exit 1; }
[ -f "$wasm" ] || { echo "compare_with_native.sh: no WebAssembly tool at $wasm" >&2; exit 1; }
work=$(mktemp -d)
if [ -n "${WAVESPEC_KEEP:-}" ]; then
    echo "the runs are kept in $work"
else
    trap 'rm -rf "$work"' EXIT
fi
cases=0
failed=0

fail() {
    echo "DIFFERS $1: $2"
    failed=$((failed + 1))
}

# run_pair NAME INPUTS STDIN ARGS...: both tools in fresh copies of the folder INPUTS (may be
# empty), with STDIN as standard input. Returns 0 when they agree in every byte. With
# UNORDERED=1 the lines of standard output may come in any order (records done at once).
run_pair() {
    local name=$1 inputs=$2 stdin=$3
    shift 3
    local d="$work/$name"
    mkdir -p "$d/native" "$d/wasm"
    if [ -n "$inputs" ]; then
        cp -R "$inputs/." "$d/native/"
        cp -R "$inputs/." "$d/wasm/"
    fi
    local ns=0 ws=0
    # (The braces keep the shell's own line about an aborted run off the log.)
    { (cd "$d/native" && exec "$native" "$@" <"$stdin" >"$d/native.out" 2>"$d/native.err"); } \
        2>/dev/null || ns=$?
    { (cd "$d/wasm" && exec node "$wasm" "$@" <"$stdin" >"$d/wasm.out" 2>"$d/wasm.err"); } \
        2>/dev/null || ws=$?
    cases=$((cases + 1))
    local before=$failed
    [ "$ns" = "$ws" ] || fail "$name" "exit status $ns native, $ws WebAssembly"
    if [ "${UNORDERED:-0}" = 1 ]; then
        cmp -s <(sort "$d/native.out") <(sort "$d/wasm.out") || fail "$name" "standard output"
    else
        cmp -s "$d/native.out" "$d/wasm.out" || fail "$name" "standard output"
    fi
    cmp -s "$d/native.err" "$d/wasm.err" || fail "$name" "diagnostics"
    local listing
    # run.json holds the inputs' modification times, and each tool read its own copy of them.
    listing=$(diff -rq -x run.json "$d/native" "$d/wasm" 2>&1) || fail "$name" "files: $listing"
    [ "$failed" = "$before" ] && echo "same    $name ($(find "$d/native" -type f | wc -l) files)"
    echo "$ns" >"$d/status"
    [ "$failed" = "$before" ]
}

# The reference runs: the same bytes from both tools, and those the bytes recorded.
for runs in ${WAVESPEC_REFERENCE_RUNS:-$root/tests/data/golden}; do
    for run in "$runs"/*/; do
        run=${run%/}
        [ -f "$run/stdin" ] || continue
        name="reference-$(basename "$run")"
        inputs=""
        [ -d "$run/input" ] && inputs="$run/input"
        run_pair "$name" "$inputs" "$run/stdin" || continue
        d="$work/$name"
        cmp -s "$d/wasm.out" "$run/expected/stdout" || fail "$name" "stdout is not the recorded one"
        cmp -s "$d/wasm.err" "$run/expected/stderr" || fail "$name" "diagnostics not the recorded"
        want=$(cat "$run/expected/exit")
        [ "$want" = abort ] && want=134
        [ "$(cat "$d/status")" = "$want" ] || fail "$name" "exit status not the recorded $want"
        if [ -d "$run/expected/files" ]; then
            for f in "$run/expected/files"/*; do
                cmp -s "$f" "$d/wasm/$(basename "$f")" ||
                    fail "$name" "$(basename "$f") is not the recorded file"
            done
        fi
    done
done

# The bundled example, and shorter records cut from it (a header and n samples).
example="$work/inputs/example"
mkdir -p "$example"
cp "$root/examples/accelerogram.csv" "$example/rec.csv"
for n in 2 3 1000 1025 4097; do
    mkdir -p "$work/inputs/rec$n"
    head -n $((n + 1)) "$root/examples/accelerogram.csv" >"$work/inputs/rec$n/rec.csv"
done
none=/dev/null
newer=(--response-spectra --periods=0.01:5:40 --damping=0.02,0.05 --smooth=konno-ohmachi:40
       --hv=quadratic --plot)
for layout in legacy full; do
    run_pair "example-$layout" "$example" $none process --layout=$layout "${newer[@]}" \
        --bandpass=0.1,0.2,20,25 --integrate rec.csv
    run_pair "example-$layout-dumps" "$example" $none process --layout=$layout --dumps \
        --window=5,30 --differentiate rec.csv
    run_pair "example-$layout-noise" "$example" $none process --layout=$layout --no-dumps \
        --smooth=parzen:0.3 --smooth-points=bins --hv-windows=10 --hv-reject=2 \
        --hv-azimuths=30 --plot rec.csv
    run_pair "example-$layout-linear" "$example" $none process --layout=$layout --no-dumps \
        --response-spectra --oscillator=piecewise-linear --periods=0.05,0.1,1 rec.csv
    for n in 2 3 1000 1025 4097; do
        run_pair "rec$n-$layout" "$work/inputs/rec$n" $none process --layout=$layout \
            "${newer[@]}" rec.csv
    done
done
# The dialogue's answers name the example as ../examples/accelerogram.csv.
mkdir -p "$work/example-dialogue/examples"
cp "$root/examples/accelerogram.csv" "$work/example-dialogue/examples/"
run_pair example-dialogue "" "$root/examples/answers.txt"

# Several records at once, at one and at four jobs.
batch="$work/inputs/batch"
mkdir -p "$batch"
for n in 1000 1025 4097; do cp "$work/inputs/rec$n/rec.csv" "$batch/r$n.csv"; done
cp "$root/examples/accelerogram.csv" "$batch/whole.csv"
for jobs in 1 4; do
    UNORDERED=1 run_pair "batch-j$jobs" "$batch" $none process -j $jobs -C out --layout=full "${newer[@]}" \
        r1000.csv r1025.csv r4097.csv whole.csv
done

# The pictures of a run's folder, drawn again by plot.
run_pair plot "$work/example-legacy/native" $none plot --output=again .

# The networks' formats, read by convert and by process.
formats="$work/inputs/formats"
python3 "$root/tests/wasm/make_format_samples.py" "$formats" 1200
run_pair convert-knet "$formats" $none convert XYZ0010001.NS XYZ0010001.EW XYZ0010001.UD -o k.csv
run_pair convert-at2 "$formats" $none convert RSN1063_TEST_XYZ000.AT2 RSN1063_TEST_XYZ090.AT2 \
    RSN1063_TEST_XYZ-UP.AT2 -o a.csv
for order in le be; do
    run_pair "convert-sac-$order" "$formats" $none convert "$order.XYZ.HHN.SAC" \
        "$order.XYZ.HHE.SAC" "$order.XYZ.HHZ.SAC" -o s.csv
done
run_pair process-formats "$formats" $none process -j 1 -C out --layout=full --response-spectra \
    --smooth=konno-ohmachi XYZ0010001.NS RSN1063_TEST_XYZ000.AT2 le.XYZ.HHN.SAC

# MiniSEED, where the WebAssembly tool has it (libmseed compiled from Debian's source).
if (cd "$formats" && node "$wasm" convert XX.XYZ.mseed -o "$work/probe.csv" 2>&1) |
    grep -q "not built in"; then
    echo "MiniSEED is not built into the WebAssembly tool: not compared"
else
    run_pair convert-mseed "$formats" $none convert XX.XYZ.mseed -o m.csv
    for layout in legacy full; do
        run_pair "process-mseed-$layout" "$formats" $none process -j 1 --layout=$layout \
            --response-spectra --smooth=konno-ohmachi --hv-windows=4 XX.XYZ.mseed
    done
fi

# Refusals: an option out of its bounds, an unreadable record, a missing one.
printf 'time,a,b,c\n0,1,2,3\n0.01,x,2,3\n' >"$work/inputs/bad.csv"
mkdir -p "$work/inputs/bad" && mv "$work/inputs/bad.csv" "$work/inputs/bad/bad.csv"
run_pair refused-option "$example" $none process --damping=1.5 rec.csv
run_pair refused-record "$work/inputs/bad" $none process --response-spectra bad.csv
run_pair missing-record "" $none process nothing.csv

echo "$cases cases, $failed differences"
[ "$failed" -eq 0 ]
