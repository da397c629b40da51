#!/usr/bin/env python3
"""Writes the example assay of examples/: a cortisol radioimmunoassay with eight standards in
duplicate, three control sera and fifty samples, counted as a gamma counter would (Poisson
scatter around a four-parameter logistic binding curve). Deterministic: the same files each run."""

import math
import random
from pathlib import Path

random.seed(20261201)
here = Path(__file__).resolve().parent.parent / "examples"

standards = [0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 40.0, 60.0]  # µg/dL
tubes = 2
sera = [3.2, 12.5, 31.0]  # low, middle and high control sera
samples = [round(math.exp(random.gauss(math.log(11.0), 0.6)), 2) for _ in range(50)]
total, b0_fraction, nsb, ed50, slope = 21500.0, 0.46, 310.0, 7.5, 1.05


def poisson(mean):
    # Normal approximation: the counts are thousands, where it is indistinguishable.
    return max(1, int(round(random.gauss(mean, math.sqrt(mean)))))


def bound(concentration):
    b0 = total * b0_fraction
    return nsb + (b0 - nsb) / (1.0 + (concentration / ed50) ** slope)


counts = []
counts += [poisson(nsb) for _ in range(tubes)]
counts += [poisson(total) for _ in range(tubes)]
counts += [poisson(bound(0.0)) for _ in range(tubes)]
for c in standards:
    counts += [poisson(bound(c)) for _ in range(tubes)]
for c in sera:
    counts += [poisson(bound(c)) for _ in range(tubes)]
for c in samples:
    counts += [poisson(bound(c)) for _ in range(tubes)]

conditions = ["検査 太郎", "2026/12/01", "", "コルチゾール", "μg/dL", "C-0142",
              str(len(standards)), str(tubes), str(len(sera)), str(tubes), str(len(samples)), str(tubes),
              "1.0000"]
conditions += [("%.4f" % c).lstrip("0") for c in standards]
conditions += [""] * (20 - len(standards))
assert len(conditions) == 33

(here / "cortisol.crx").write_bytes("".join(line + "\r\n" for line in conditions).encode("cp932"))
(here / "cortisol_counts.txt").write_bytes("".join(" %d \r\n" % c for c in counts).encode("ascii"))
