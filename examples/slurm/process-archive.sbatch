#!/bin/bash
# One task of a Slurm array over a list of records:
#
#   sbatch --array=0-3 examples/slurm/process-archive.sbatch LIST OUTDIR [process options]
#
# Every task reads the whole list and runs only its own shard's records (--shard=slurm: a
# record's shard follows from its stem, so the tasks share nothing but the list), each into
# OUTDIR/STEM/ with run.json last. A task costs seconds to start: give each task many
# records (for a million, about a thousand tasks of a thousand records). After a failure or a
# cancelled task, submit the whole array again with --resume, never one index: only records
# without a complete run are done again.
#SBATCH --job-name=wavespec-archive
#SBATCH --cpus-per-task=1
#SBATCH --output=wavespec-archive-%A_%a.out
set -eu
if [ "$#" -lt 2 ]; then
    echo "usage: sbatch --array=0-N $0 LIST OUTDIR [process options]" >&2
    exit 2
fi
list=$1 out=$2
shift 2
exec "${WAVESPEC:-wavespec}" process -q -j "${SLURM_CPUS_PER_TASK:-1}" --records-from="$list" \
    --shard=slurm -C "$out" "$@"
