"""A Python host: draws a graph, moves the mouse over it, saves it in every
format and to the clipboard, and checks each result. Exits non-zero on the
first thing that is wrong."""

import os
import sys
import tempfile

import trendel


def check(condition, what):
    if not condition:
        sys.exit(f"python host: {what}")


def main():
    output = tempfile.mkdtemp(prefix="trendel-python-")
    with trendel.HeadlessWindow(600, 400) as window:
        graph = trendel.Graph(window)
        graph.set_values(
            title="Rainfall", series_names=["Inland", "Coast"],
            category_names=["Jan", "Feb", "Mar", "Apr", "May", "Jun"],
            values=[[61.5, 52, 48.25, None, 41, 38], [90, 85.5, 70, 66, 58, 49]],
            series_colors=["#1F77B4", (255, 127, 14)], show_grid=True,
            value_axis_title="mm", category_axis_title="Month", legend_title="Station")
        graph.draw()
        pixels = window.read_pixels()
        check(pixels[0][0] == 0x000000, "the frame's corner is not black")

        graph.mouse_move(300, 200)
        check(window.has_capture, "the window did not take the mouse capture")
        graph.mouse_move(-5, 200)
        check(not window.has_capture, "the window kept the capture after the pointer left")

        signatures = {"chart.gif": b"GIF87a", "chart.jpg": b"\xff\xd8", "chart.bmp": b"BM"}
        for name, signature in signatures.items():
            path = os.path.join(output, "saved", name)
            graph.save(path, 320, 240)
            with open(path, "rb") as file:
                check(file.read(len(signature)) == signature, f"{name} does not start as expected")

        graph.copy_to_clipboard(200, 100)

        try:
            trendel.Graph(window).set_values(series_names=[], category_names=["x"], values=[[1]])
            check(False, "an empty series list was accepted")
        except trendel.TrendelError as error:
            check(error.code == -3, f"an empty series list gave {error.code}, not -3")

    print(f"python host: drew, tracked and saved; files in {output}")


if __name__ == "__main__":
    main()
