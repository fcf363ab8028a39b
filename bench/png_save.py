"""The large chart (1920 x 1080, 20 series x 2,000 categories) saved as PNG
from Python, with gnuplot's PNG of the same data in the same run as the
yardstick. Run with the package installed (docs/python.md):

    .venv/bin/python bench/png_save.py [ROUNDS]

Prints the median and the fastest of ROUNDS saves (default 20) for each:
the package's in-process save (rendering included), and gnuplot's whole
process, which is how gnuplot is used from Python.
"""

import math
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import trendel

WIDTH, HEIGHT = 1920, 1080
SERIES, CATEGORIES = 20, 2000


def values():
    return [[100 + 50 * math.sin(column * 0.05 + row) + row * 10 for column in range(CATEGORIES)]
            for row in range(SERIES)]


def timed(action, rounds):
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        action()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times), min(times)


def gnuplot_script(folder, rows):
    data = os.path.join(folder, "large.dat")
    with open(data, "w") as file:
        for column in range(CATEGORIES):
            file.write(" ".join(f"{rows[row][column]:.6f}" for row in range(SERIES)) + "\n")
    plots = ", ".join(f'"{data}" using {row + 1} with lines title "Series {row}"'
                      for row in range(SERIES))
    script = os.path.join(folder, "large.gp")
    with open(script, "w") as file:
        file.write(f'set terminal png size {WIDTH},{HEIGHT}\n'
                   f'set output "{os.path.join(folder, "gnuplot.png")}"\n'
                   'set title "Benchmark"\nset grid\nset xlabel "Category"\n'
                   f'set ylabel "Value"\nplot {plots}\n')
    return script


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 20
    rows = values()
    chart = trendel.Chart(rows, categories=[f"C{i}" for i in range(CATEGORIES)],
                          series=[f"Series {i}" for i in range(SERIES)], title="Benchmark",
                          category_axis_title="Category", value_axis_title="Value",
                          legend_title="Series", show_grid=True, point_markers=False)
    with tempfile.TemporaryDirectory(prefix="trendel-bench-") as folder:
        path = os.path.join(folder, "trendel.png")
        results = {"trendel Chart.save": timed(lambda: chart.save(path, (WIDTH, HEIGHT)), rounds)}
        if shutil.which("gnuplot"):
            script = gnuplot_script(folder, rows)
            results["gnuplot process"] = timed(
                lambda: subprocess.run(["gnuplot", script], check=True), rounds)
        for name, (median, fastest) in results.items():
            print(f"{name:20} median {median:7.1f} ms   fastest {fastest:7.1f} ms")


if __name__ == "__main__":
    main()
