"""The cluster stage's checks of an archive's runs, each against a truth of its own: the single
run's bytes, each record's own measures.csv and response.csv read back here, and the shards
worked out here from the list's names (FNV-1a 64 of the stem, as the issue defines it).

  check_archive.py same DIR_A DIR_B FLATFILE_A FLATFILE_B
  check_archive.py rows FLATFILE DIR LIST
  check_archive.py kill LIST SINGLE OUTDIR JOB N K
  check_archive.py before LIST SINGLE OUTDIR STATE.json
  check_archive.py resumed LIST SINGLE OUTDIR STATE.json TASK_OUTPUT...
(SINGLE: the single run's directory, whose run.json files say which directory a line makes.)
"""

import csv
import json
import math
import os
import re
import subprocess
import sys
import time
from pathlib import Path


def fail(message):
    print(f"FAILED: cluster: {message}", file=sys.stderr)
    sys.exit(1)


def tree(directory):
    """Every file under directory, by its relative path, with its bytes."""
    files = {}
    for here, dirs, names in os.walk(directory):
        dirs.sort()
        for name in names:
            path = Path(here, name)
            files[str(path.relative_to(directory))] = path.read_bytes()
    return files


def same(a, b, flat_a, flat_b):
    left, right = tree(a), tree(b)
    only = sorted(set(left) ^ set(right))
    if only:
        fail(f"{a} and {b} differ in their files, first {only[0]} ({len(only)} in all)")
    differing = sorted(name for name in left if left[name] != right[name])
    if differing:
        fail(f"{len(differing)} files differ between {a} and {b}, first {differing[0]}")
    if Path(flat_a).read_bytes() != Path(flat_b).read_bytes():
        fail(f"the flatfiles {flat_a} and {flat_b} differ")
    print(f"cluster: {b} holds the {len(left)} files of {a}, byte for byte, and so does its flatfile")


def common_stem(names):
    prefix = os.path.commonprefix(names).rstrip("_-.")
    return prefix or names[0]


def file_stem(name):
    base = os.path.basename(name)
    dot = base.rfind(".")
    return base[:dot] if dot > 0 else base


def line_stem(line):
    """The stem a list line names, from the name alone."""
    paths = line.split("\t")
    if len(paths) > 1:
        return common_stem([file_stem(p) for p in paths])
    name = os.path.basename(paths[0])
    dot = name.rfind(".")
    kind = name[dot + 1:].upper() if dot > 0 else ""
    if kind[:2] in ("NS", "EW", "UD"):
        rest = kind[2:]
        if rest == "":
            return name[:dot]
        if rest in ("1", "2"):
            return name[:dot] + ("-borehole" if rest == "1" else "-surface")
    match = re.match(r"(RSN[0-9]+)_", name, re.IGNORECASE)
    if match:
        return match.group(1).upper()
    return file_stem(name)


def listed_lines(list_file):
    lines = Path(list_file).read_text().split("\n")
    return [line for line in lines if line and not line.startswith("#")]


def listed_directories(list_file, single):
    """Each list line's record directory in the single run: the one whose run.json names the
    line's first file among its inputs (an AT2 triple's directory is its files' common stem,
    while its shard follows its RSN number)."""
    by_input = {}
    for run in Path(single).glob("*/run.json"):
        for entry in json.loads(run.read_text())["inputs"]:
            by_input[entry["name"]] = run.parent.name
    directories = []
    for line in listed_lines(list_file):
        name = os.path.basename(line.split("\t")[0])
        if name not in by_input:
            fail(f"no record directory of {single} names {name} among its inputs")
        directories.append(by_input[name])
    if len(set(directories)) != len(directories):
        fail(f"two lines of {list_file} share a record directory")
    return directories


def fnv1a_64(text):
    value = 14695981039346656037
    for byte in text.encode():
        value = ((value ^ byte) * 1099511628211) % 2**64
    return value


def number(text):
    return math.nan if text == "" else float(text)


def equal(a, b):
    return (math.isnan(a) and math.isnan(b)) or a == b


def rows(flatfile, directory, list_file):
    with open(flatfile, newline="") as f:
        table = list(csv.DictReader(f))
    stems = listed_directories(list_file, directory)
    order = ["H1", "H2", "V", "RotD00", "RotD50", "RotD100", "GMRotD50", "GMRotI50"]
    found = [(row["stem"], row["component"]) for row in table]
    wanted = [(stem, c) for stem in sorted(stems, key=str.encode) for c in order]
    if found != wanted:
        fail(f"{flatfile}: the rows are not each stem's {len(order)} components in order")
    measures_keys = ["PGA", "PGV", "PGD", "Arias", "D5-75", "D5-95", "CAV"]
    sa_columns = [k for k in table[0] if k.startswith("SA(")]
    checked = 0
    for stem in stems:
        record = Path(directory, stem)
        with open(record / "measures.csv", newline="") as f:
            measures = list(csv.reader(f))[1:]
        with open(record / "response.csv", newline="") as f:
            response = list(csv.DictReader(f))
        names = [m[0] for m in measures] + order[3:]
        psa = {}
        for r in response:
            psa[(r["component"], r["damping"], r["period(s)"])] = float(r["PSA"])
        dampings = list(dict.fromkeys(r["damping"] for r in response))
        for row in (r for r in table if r["stem"] == stem):
            i = order.index(row["component"])
            own = [float(v) for v in measures[i][1:]] if i < 3 else [math.nan] * 7
            for key, value in zip(measures_keys, own):
                if not equal(number(row[key]), value):
                    fail(f"{stem} {row['component']} {key}: flatfile {row[key]}, "
                         f"measures.csv {value}")
            for column in sa_columns:
                inside = column[3:-1].split(",")
                damping = inside[1] if len(inside) > 1 else dampings[0]
                value = psa[(names[i], damping, inside[0])]
                if number(row[column]) != value:
                    fail(f"{stem} {row['component']} {column}: flatfile {row[column]}, "
                         f"response.csv {value}")
                checked += 1
    print(f"cluster: {len(table)} flatfile rows, {checked} SA values, equal to the records' own files")


def kill(list_file, single, outdir, job, count, task):
    lines = listed_lines(list_file)
    directories = listed_directories(list_file, single)
    mine = [d for d, line in zip(directories, lines) if fnv1a_64(line_stem(line)) % count == task]
    deadline = time.monotonic() + 300
    while time.monotonic() < deadline:
        done = sum(Path(outdir, stem, "run.json").exists() for stem in mine)
        if done == len(mine):
            fail(f"task {task} finished its {len(mine)} records before it could be killed")
        if done >= 1:
            subprocess.run(["scancel", "--signal=KILL", f"{job}_{task}"], check=True)
            print(f"cluster: killed task {task} after {done} of its {len(mine)} records")
            return
        time.sleep(0.02)
    fail(f"task {task} wrote no run.json within 300 s")


def record_state(list_file, single, outdir):
    """Each listed record's files (inode, modification time, size) where it has a run.json."""
    state = {}
    for stem in listed_directories(list_file, single):
        record = Path(outdir, stem)
        files = {}
        if (record / "run.json").exists():
            for path in record.iterdir():
                info = path.stat()
                files[path.name] = [info.st_ino, info.st_mtime_ns, info.st_size]
        state[stem] = files
    return state


def before(list_file, single, outdir, state_file):
    state = record_state(list_file, single, outdir)
    complete = sum(1 for files in state.values() if files)
    if complete == 0 or complete == len(state):
        fail(f"after the kill {complete} of {len(state)} directories hold a run.json: "
             "the kill did not leave the archive part-way")
    Path(state_file).write_text(json.dumps(state))
    print(f"cluster: after the kill, {complete} records have a complete run")


def resumed(list_file, single, outdir, state_file, outputs):
    earlier = json.loads(Path(state_file).read_text())
    complete = [stem for stem, files in earlier.items() if files]
    skipped = total = 0
    for output in outputs:
        match = re.search(r"^resume: (\d+) of (\d+) records complete, skipped$",
                          Path(output).read_text(), re.MULTILINE)
        if not match:
            fail(f"{output} has no 'resume: N of M records complete, skipped' line")
        skipped += int(match.group(1))
        total += int(match.group(2))
    if total != len(earlier):
        fail(f"the resumed tasks counted {total} records, the list holds {len(earlier)}")
    if skipped != len(complete):
        fail(f"the resumed tasks skipped {skipped} records, {len(complete)} were complete")
    now = record_state(list_file, single, outdir)
    for stem in complete:
        if now[stem] != earlier[stem]:
            fail(f"{stem} was complete, yet --resume wrote its files again")
    missing = [stem for stem, files in now.items() if not files]
    if missing:
        fail(f"after --resume, {missing[0]} has no run.json")
    print(f"cluster: --resume skipped the {skipped} complete records of {total} and ran "
          f"the {total - skipped} others")


def main(argv):
    commands = {"same": same, "rows": rows, "before": before}
    if argv[0] in commands:
        commands[argv[0]](*argv[1:])
    elif argv[0] == "kill":
        kill(argv[1], argv[2], argv[3], argv[4], int(argv[5]), int(argv[6]))
    elif argv[0] == "resumed":
        resumed(argv[1], argv[2], argv[3], argv[4], argv[5:])
    else:
        fail(f"unknown check {argv[0]}")


if __name__ == "__main__":
    main(sys.argv[1:])
