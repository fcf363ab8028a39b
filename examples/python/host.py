"""A Python host: a chart from a pandas DataFrame saved in every format, then
the same chart in a headless window with the mouse moved over it. Checks
each result and exits non-zero on the first thing that is wrong.

Install the package first (see docs/python.md):
    /usr/bin/python3 -m venv --system-site-packages .venv
    .venv/bin/pip install --no-build-isolation ./python
    .venv/bin/python examples/python/host.py
"""

import os
import sys
import tempfile

import pandas

import trendel


def check(condition, what):
    if not condition:
        sys.exit(f"python host: {what}")


def main():
    output = tempfile.mkdtemp(prefix="trendel-python-")
    rainfall = pandas.DataFrame(
        {"Inland": [61.5, 52, 48.25, None, 41, 38], "Coast": [90, 85.5, 70, 66, 58, 49]},
        index=["Jan", "Feb", "Mar", "Apr", "May", "Jun"])
    chart = trendel.Chart(rainfall, title="Rainfall", colors=["#1F77B4", (255, 127, 14)],
                          show_grid=True, value_axis_title="mm", category_axis_title="Month",
                          legend_title="Station")

    signatures = {"chart.png": b"\x89PNG", "chart.gif": b"GIF87a", "chart.jpg": b"\xff\xd8",
                  "chart.bmp": b"BM"}
    for name, signature in signatures.items():
        path = os.path.join(output, "saved", name)
        chart.save(path, size=(320, 240))
        with open(path, "rb") as file:
            check(file.read(len(signature)) == signature, f"{name} does not start as expected")

    with trendel.HeadlessWindow(600, 400) as window:
        window.show(chart)
        drawn = window.pixels()
        check(tuple(drawn[0, 0]) == (0, 0, 0), "the frame's corner is not black")
        window.mouse_move(300, 200)
        check(window.has_capture, "the window did not take the mouse capture")
        check((window.pixels() != drawn).any(), "the tracking overlay was not drawn")
        window.mouse_move(-5, 200)
        check(not window.has_capture, "the window kept the capture after the pointer left")

    try:
        trendel.Chart([[1, 2], [3]])
        check(False, "rows of different lengths were accepted")
    except ValueError as error:
        check("data[1]" in str(error), f"the error does not name the row: {error}")

    print(f"python host: saved, drew and tracked; files in {output}")


if __name__ == "__main__":
    main()
