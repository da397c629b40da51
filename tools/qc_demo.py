#!/usr/bin/env python3
"""Saves the example assay 25 times into one control-serum history, as 25 nights of one lab:
the first 20 with the control sera scattering about their usual values (the runs that establish
the targets), the last 5 with the control counts shifted so that chosen Westgard rules must fire.
Then exports the history as CSV and prints it.

    python3 tools/qc_demo.py build/release/quorin /tmp/qc_demo

Each run goes through `quorin --batch ... --qc FILE`, as a lab's script would. The shifted
counts are found by reading the curve with the example's own samples: one probe run with
candidate counts in the sample tubes tells which count gives which concentration."""

import csv
import random
import subprocess
import sys
from pathlib import Path

root = Path(__file__).resolve().parent.parent
quorin, folder = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
folder.mkdir(parents=True, exist_ok=True)
history = folder / "qc.sqlite"
history.unlink(missing_ok=True)

conditions = (root / "examples/cortisol.crx").read_bytes().decode("cp932").split("\r\n")
counts = [line for line in (root / "examples/cortisol_counts.txt").read_text().splitlines() if line.strip()]
Sera_First_Line = 22  # NSB, TOTAL, zero standard and 8 standards, 2 tubes each
Samples_First_Line = Sera_First_Line + 6

# The z each shifted run gives its three sera, and the rules that must fire.
shifted = [
    ((+3.5, +0.6, +0.3), "1-3s on Sera 1"),
    ((+0.4, +2.5, -1.3), "1-2s warning on Sera 2"),
    ((-0.2, +2.5, -1.4), "2-2s on Sera 2 (two runs beyond +2 SD)"),
    ((+2.3, +0.6, -2.3), "R-4s (Sera 1 above +2 SD, Sera 3 below -2 SD)"),
    ((+0.5, +0.7, -1.2), "4-1s on Sera 3, 10x on Sera 2"),
]


def run_batch(number, day, serum_counts, qc=True):
    lines = list(conditions)
    lines[1], lines[5] = f"2026/11/{day:02d}", f"C-{number:04d}"
    crx, data = folder / f"run{number:02d}.crx", folder / f"run{number:02d}.txt"
    crx.write_bytes("\r\n".join(lines).encode("cp932"))
    body = counts[:Sera_First_Line] + [f" {c} " for c in serum_counts] + counts[Samples_First_Line:]
    data.write_text("\r\n".join(body) + "\r\n")
    command = [str(quorin), "--batch", str(crx), str(data), str(folder / f"result{number:02d}.txt")]
    if qc:
        command += ["--qc", str(history)]
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(done.stderr)
    return done.stderr


def concentration_of_counts(candidates):
    """The concentration each count reads as: the candidates go into the sample tubes of a probe run."""
    sample_counts = []
    for c in candidates:
        sample_counts += [f" {c} ", f" {c} "]
    lines = list(conditions)
    lines[10] = str(len(candidates))
    crx, data, result = folder / "probe.crx", folder / "probe.txt", folder / "probe_result.txt"
    crx.write_bytes("\r\n".join(lines).encode("cp932"))
    data.write_text("\r\n".join(counts[:Samples_First_Line] + sample_counts) + "\r\n")
    subprocess.run([str(quorin), "--batch", str(crx), str(data), str(result)], check=True, capture_output=True)
    values = {}
    for line in result.read_bytes().decode("cp932").split("\r\n"):
        if line.startswith("Sample"):
            items = line.split(",")
            values[candidates[int(items[0][6:]) - 1]] = float(items[1])
    return values


def count_for(concentration):
    """The whole count whose concentration lies nearest: a grid, then a finer one around the answer."""
    low, high = 1500, 9000
    for _ in range(3):
        step = max(1, (high - low) // 40)
        grid = concentration_of_counts(list(range(low, high + 1, step)))
        best = min(grid, key=lambda c: abs(grid[c] - concentration))
        low, high = best - step, best + step
    return best


random.seed(20261101)
base = [int(c) for c in counts[Sera_First_Line:Samples_First_Line]]
for number in range(1, 21):
    serum_counts = [round(c * random.gauss(1.0, 0.012)) for c in base]
    if number > 15:  # Sera 2 reads a little high in the last runs of the baseline
        serum_counts[2:4] = [round(c * 0.993) for c in base[2:4]]
    run_batch(number, number, serum_counts)

subprocess.run([str(quorin), "--qc-export", str(history), str(folder / "baseline.csv")], check=True)
with open(folder / "baseline.csv", newline="", encoding="utf-8") as f:
    targets = {int(row["管理血清"]): (float(row["目標平均"]), float(row["目標SD"])) for row in csv.DictReader(f)}

for k, (zs, rules) in enumerate(shifted):
    number = 21 + k
    serum_counts = []
    for serum, z in enumerate(zs, start=1):
        mean, sd = targets[serum]
        # Two tubes a little apart whose concentrations average to the aimed value.
        serum_counts += [count_for((mean + z * sd) * (1 + spread)) for spread in (-0.004, +0.004)]
    print(f"run {number}: z aimed at {zs}: {rules}", file=sys.stderr)
    print(run_batch(number, number, serum_counts), file=sys.stderr)

subprocess.run([str(quorin), "--qc-export", str(history), str(folder / "history.csv")], check=True)
print((folder / "history.csv").read_text(encoding="utf-8"))
