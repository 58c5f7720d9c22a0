#!/usr/bin/python3
"""Plots the soak's figures (the CSV of quillet-soak-qt or quillet-soak-win32 --csv) over the
steps, one panel a figure, the warm-up's end marked. Needs Debian's python3-matplotlib.

Usage: bench/soak/plot.py FIGURES.csv OUT.png TITLE
"""
import csv
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

WARM_UP = 50


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    source, target, title = sys.argv[1:]
    with open(source, newline="") as f:
        rows = [{k: int(v) for k, v in row.items()} for row in csv.DictReader(f)]
    steps = [r["step"] for r in rows]
    windows = any(r["gdi"] >= 0 for r in rows)
    panels = [("resident memory (MB)", [r["resident_bytes"] / 1e6 for r in rows]),
              ("threads", [r["threads"] for r in rows]),
              ("handles" if windows else "file descriptors", [r["handles"] for r in rows])]
    if windows:
        panels += [("GDI objects", [r["gdi"] for r in rows]),
                   ("USER objects", [r["user"] for r in rows])]
    figure, axes = plt.subplots(len(panels), 1, figsize=(8, 1.9 * len(panels)), sharex=True)
    for axis, (name, values) in zip(axes, panels):
        axis.plot(steps, values, marker="o", markersize=3)
        axis.axvline(WARM_UP, color="grey", linestyle=":", linewidth=1)
        if name.startswith("resident") and WARM_UP in steps:
            # The most the memory may reach after the warm-up: 5 MB above its value there.
            limit = values[steps.index(WARM_UP)] + 5
            axis.axhline(limit, color="red", linestyle="--", linewidth=0.8)
            values = values + [limit]
        axis.set_ylabel(name, rotation=0, ha="right", va="center")
        low, high = min(values), max(values)
        # A flat count gets some room, so that it shows as the line it is.
        if high - low < 2:
            axis.set_ylim(max(low - 2, 0), high + 2)
        else:
            axis.set_ylim(0 if name.startswith("resident") else low - 1, high * 1.1 + 1)
        axis.grid(True, linewidth=0.3)
    axes[-1].set_xlabel("step (dotted: the end of the warm-up; dashed: the memory's limit)")
    axes[0].set_title(title)
    figure.tight_layout()
    figure.savefig(target, dpi=90)


if __name__ == "__main__":
    main()
