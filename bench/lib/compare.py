"""Compares two builds' runs side by side: compare.py LABEL RUNS_A RUNS_B NAME...

Each RUNS file holds a line per run of numbers, one per NAME. Prints for each the medians and
best (lowest) values of A and B and their ratios A / B."""
import statistics
import sys

label, path_a, path_b, *names = sys.argv[1:]
runs = [[[float(v) for v in line.split()] for line in open(p)] for p in (path_a, path_b)]
for i, name in enumerate(names):
    a, b = ([run[i] for run in r] for r in runs)
    ma, mb = statistics.median(a), statistics.median(b)
    print(f"{label:22s} {name:5s} A median {ma:9.3f} best {min(a):9.3f} | "
          f"B median {mb:9.3f} best {min(b):9.3f} | A/B median {ma / mb:.3f} best {min(a) / min(b):.3f}")
