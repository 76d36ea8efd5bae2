#!/usr/bin/env bash
# Times the tool's heaviest job: a 32768-sample record with the band-pass filter and one
# integration on, every file written (about 13 MB of text). Prints the median wall time and
# the largest peak resident memory over the runs.
# Usage: bench/whole_run.sh [path/to/wavespec] [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$(realpath "${1:-$root/build/wavespec}")
runs=${2:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

awk 'BEGIN {
    print "time,NS,EW,UD";
    for (i = 0; i < 32768; i++) {
        t = i * 0.01;
        printf "%.2f,%.6f,%.6f,%.6f\n", t, 120*sin(7.54*t) + 25*sin(50.3*t+2),
               95*sin(5.65*t+0.7) + 30*sin(40.8*t), 40*sin(25.1*t+0.5) + 35*sin(69.1*t)
    }
}' > record.csv
printf 'record.csv\n0\n1\n0.1 0.2 20 25\n1\n\n0\n0\nout.csv\n\n' > answers.txt

times=()
peak=0
for ((r = 0; r < runs; r++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o rss.txt "$tool" < answers.txt > /dev/null
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
    rss=$(tail -n 1 rss.txt)
    (( rss > peak )) && peak=$rss
done
bytes=$(cat amp3.csv amp-c.csv fort.* out.csv | wc -c)
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
printf 'whole run, 32768 samples, %d bytes written: median %.1f ms over %d runs, peak RSS %d KiB\n' \
    "$bytes" "$(echo "$median" | awk '{print $1/1000}')" "$runs" "$peak"
