"""A threaded Python host, as a web service that renders charts is: ctypes
lets other threads run during every call into the library. Four threads
draw, track, read back and save their own windows while three more share
one window; then every saved file must decode (Pillow) to its size, and a
save that cannot work must raise TrendelError with code -6."""

import os
import sys
import tempfile
import threading

from PIL import Image

import trendel

ROUNDS = 8
OWN_WINDOW_THREADS = 4
SHARING_THREADS = 3
SIZE = (200, 150)


def define(graph, number):
    graph.set_values(
        title=f"Thread {number}", series_names=["North", "South"],
        category_names=["Jan", "Feb", "Mar", "Apr"],
        values=[[number, 4, 2, None], [3, 1, number + 2, 5]], show_grid=number % 2 == 0)


def work(number, window, graph, output, failures):
    try:
        for round_number in range(ROUNDS):
            if window is not None:
                define(graph, number)
                graph.draw()
                pixels = window.read_pixels()
                if pixels[0][0] != 0x000000:
                    failures.append(f"thread {number}: the frame's corner is not black")
            for x in range(0, SIZE[0], 37):
                graph.mouse_move(x, SIZE[1] // 2)
            graph.mouse_move(-5, -5)
            for extension in ("gif", "jpg", "bmp"):
                name = f"thread{number}.{extension}" if window is not None else f"shared.{extension}"
                graph.save(os.path.join(output, name), *SIZE)
            graph.copy_to_clipboard(60, 40)
    except Exception as error:  # reported below, whatever it is
        failures.append(f"thread {number}: {error!r}")


def main():
    output = tempfile.mkdtemp(prefix="trendel-threads-")
    failures = []
    windows = [trendel.HeadlessWindow(*SIZE) for _ in range(OWN_WINDOW_THREADS + 1)]
    shared = windows[-1]
    shared_graph = trendel.Graph(shared)
    define(shared_graph, 99)
    threads = [threading.Thread(target=work, args=(number, windows[number],
                                                   trendel.Graph(windows[number]), output, failures))
               for number in range(OWN_WINDOW_THREADS)]
    threads += [threading.Thread(target=work, args=(OWN_WINDOW_THREADS + number, None, shared_graph,
                                                    output, failures))
                for number in range(SHARING_THREADS)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()

    for name in sorted(os.listdir(output)):
        with Image.open(os.path.join(output, name)) as image:
            image.load()
            if image.size != SIZE:
                failures.append(f"{name} is {image.size}, not {SIZE}")
    if len(os.listdir(output)) != 3 * (OWN_WINDOW_THREADS + 1):
        failures.append(f"files left in {output}: {sorted(os.listdir(output))}")

    try:
        shared_graph.save(os.path.join(output, "huge.gif"), 40000, 40000)
        failures.append("a picture too large to draw was saved")
    except trendel.TrendelError as error:
        if error.code != -6:
            failures.append(f"a picture too large to draw gave {error.code}, not -6")

    for window in windows:
        window.close()
    if failures:
        sys.exit("threaded python host:\n" + "\n".join(failures))
    print(f"threaded python host: {len(threads)} threads drew, tracked and saved; files in {output}")


if __name__ == "__main__":
    main()
