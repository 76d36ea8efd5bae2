#!/usr/bin/env bash
# The archive on a real Slurm cluster of one node: starts munged, slurmctld and slurmd (as
# root) on this machine with a configuration of their own in a temporary directory, writes an
# archive of records in mixed formats, and runs the shipped examples/slurm/process-archive.sbatch
# as an array of 4 tasks over it. Then it requires:
#   - the union of the shards' directories is the single run of the same list, byte for byte;
#   - the flatfile of the array's directories is the single run's, byte for byte;
#   - after one task is killed part-way, the whole array resubmitted with --resume runs only
#     the records without a complete run, and gives the single run's bytes again;
#   - every flatfile row holds the numbers of its record's own measures.csv and response.csv.
# It also measures records a second per core and the start cost of an array task.
#   run_cluster.sh TOOL WRITE_ARCHIVE WORKDIR
# The daemons are stopped by their PIDs when the script ends, whatever its end.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$3
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
# A copy of the tool: a build while the stage runs does not change the tool the runs compare.
cp "$1" "$work/wavespec"
tool=$work/wavespec
write_archive=$(realpath "$2")
records=${WAVESPEC_CLUSTER_RECORDS:-200}
options=(--response-spectra)
sbatch_script=$root/examples/slurm/process-archive.sbatch
checker=$root/tests/cluster/check_archive.py

fail() {
    echo "FAILED: cluster: $*" >&2
    exit 1
}
[ "$(id -u)" -eq 0 ] || fail "the daemons run as root here; run the stage as root"
for program in munged slurmctld slurmd sbatch squeue scancel scontrol; do
    command -v "$program" >/dev/null || fail "$program is not installed (slurm-wlm, munge)"
done

etc=$(mktemp -d /tmp/wavespec-slurm.XXXXXX)
chmod 0700 "$etc"
pids=()
stop_daemons() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    done
    rm -rf "$etc"
}
trap stop_daemons EXIT
trap 'exit 1' INT TERM

# Two ports nobody listens on, for slurmctld and slurmd.
read -r ctld_port slurmd_port < <(python3 -c '
import socket
s = [socket.socket() for _ in range(2)]
for x in s: x.bind(("127.0.0.1", 0))
print(*[x.getsockname()[1] for x in s])')

mkdir -p "$etc/state" "$etc/spool" "$etc/munge"
chmod 0700 "$etc/munge"
dd if=/dev/urandom of="$etc/munge/munge.key" bs=1024 count=1 status=none
chmod 0400 "$etc/munge/munge.key"
munged --force --socket="$etc/munge/socket" --key-file="$etc/munge/munge.key" \
    --pid-file="$etc/munge/munged.pid" --log-file="$etc/munge/munged.log" \
    --seed-file="$etc/munge/munged.seed" || fail "munged did not start: $(cat "$etc/munge/munged.log")"
pids+=("$(cat "$etc/munge/munged.pid")")

cpus=$(nproc)
cat >"$etc/slurm.conf" <<EOF
ClusterName=wavespec
SlurmctldHost=localhost
SlurmUser=root
SlurmdUser=root
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$etc/munge/socket
StateSaveLocation=$etc/state
SlurmdSpoolDir=$etc/spool
SlurmctldPidFile=$etc/slurmctld.pid
SlurmdPidFile=$etc/slurmd.pid
SlurmctldLogFile=$etc/slurmctld.log
SlurmdLogFile=$etc/slurmd.log
ProctrackType=proctrack/pgid
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
SwitchType=switch/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
ReturnToService=2
SchedulerType=sched/backfill
SlurmctldTimeout=30
SlurmdTimeout=30
MinJobAge=600
NodeName=localhost NodeHostname=localhost NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=local Nodes=localhost Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF=$etc/slurm.conf
slurmctld -f "$SLURM_CONF" || fail "slurmctld did not start: $(tail -5 "$etc/slurmctld.log")"
for _ in $(seq 100); do [ -s "$etc/slurmctld.pid" ] && break; sleep 0.1; done
pids+=("$(cat "$etc/slurmctld.pid")")
slurmd -f "$SLURM_CONF" -N localhost || fail "slurmd did not start: $(tail -5 "$etc/slurmd.log")"
for _ in $(seq 100); do [ -s "$etc/slurmd.pid" ] && break; sleep 0.1; done
pids+=("$(cat "$etc/slurmd.pid")")
ready=0
for _ in $(seq 120); do
    if sinfo -h -N -o '%T' 2>/dev/null | grep -Eq '^(idle|mixed|allocated)'; then
        ready=1
        break
    fi
    sleep 0.5
done
if [ "$ready" -ne 1 ]; then
    tail -20 "$etc/slurmctld.log" "$etc/slurmd.log" >&2 || true
    fail "the node did not become idle within 60 s"
fi
echo "cluster: munged, slurmctld and slurmd up (ports $ctld_port, $slurmd_port; $cpus CPUs)"

"$write_archive" "$work/archive" "$records"
list=$work/archive/records.list
cd "$work"

# Records a second per core: one process, one thread, on this archive.
for figure in "--response-spectra --no-dumps" ""; do
    # shellcheck disable=SC2086
    /usr/bin/time -f '%e %U %S' -o "$work/time.txt" \
        "$tool" process -q -j1 --records-from="$list" -C "$work/figure" $figure
    read -r wall user sys <"$work/time.txt"
    rates=$(python3 -c "import sys; n, w, u, s = map(float, sys.argv[1:])
print(f'{n / w:.1f} records/s of wall time, {n / (u + s):.1f} records/s of CPU time')" \
        "$records" "$wall" "$user" "$sys")
    echo "cluster: figure: ${figure:-(no options)}: $records records, -j1: $wall s wall," \
        "$user s user + $sys s system: $rates; $(du -sb "$work/figure" | cut -f1) bytes on disk"
    rm -rf "$work/figure"
done

# What one array task costs to start: 4 tasks that do nothing, 2 at a time on 2 CPUs.
start=$(date +%s.%N)
timeout 300 sbatch --wait --quiet --array=0-3 --output=/dev/null --wrap=true ||
    fail "an array of 4 empty tasks did not end well"
python3 -c "w = $(date +%s.%N) - $start
print(f'cluster: figure: an array of 4 empty tasks on $cpus CPUs takes {w:.1f} s,' +
      f' about {w * $cpus / 4:.1f} s a task')"

"$tool" process -q -j"$cpus" --records-from="$list" -C "$work/single" "${options[@]}" ||
    fail "the single run of the list failed"
"$tool" flatfile "$work/single" -o "$work/single.csv" || fail "flatfile of the single run failed"

export WAVESPEC=$tool
timeout 600 sbatch --wait --quiet --array=0-3 "$sbatch_script" "$list" "$work/array" \
    "${options[@]}" || fail "sbatch --wait of the array did not exit 0"
"$tool" flatfile "$work/array" -o "$work/array.csv" || fail "flatfile of the array's runs failed"
python3 "$checker" same "$work/single" "$work/array" "$work/single.csv" "$work/array.csv"
python3 "$checker" rows "$work/single.csv" "$work/single" "$list"

# Kill one task part-way, then resubmit the whole array with --resume.
job=$(sbatch --parsable --array=0-3 "$sbatch_script" "$list" "$work/killed" "${options[@]}")
job=${job%%;*}
python3 "$checker" kill "$list" "$work/single" "$work/killed" "$job" 4 0 ||
    fail "could not kill task 0 part-way"
for _ in $(seq 600); do
    [ -z "$(squeue -h -j "$job" 2>/dev/null)" ] && break
    sleep 0.5
done
[ -z "$(squeue -h -j "$job")" ] || fail "the array $job did not end within 300 s"
python3 "$checker" before "$list" "$work/single" "$work/killed" "$work/before.json"
rm -f wavespec-archive-*.out
timeout 600 sbatch --wait --quiet --array=0-3 "$sbatch_script" "$list" "$work/killed" \
    "${options[@]}" --resume || fail "sbatch --wait of the resumed array did not exit 0"
cat wavespec-archive-*.out
"$tool" flatfile "$work/killed" -o "$work/killed.csv" || fail "flatfile of the resumed runs failed"
python3 "$checker" resumed "$list" "$work/single" "$work/killed" "$work/before.json" wavespec-archive-*.out
python3 "$checker" same "$work/single" "$work/killed" "$work/single.csv" "$work/killed.csv"
echo "cluster: all checks passed"
