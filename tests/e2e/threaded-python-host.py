"""A threaded Python host, as a web service that renders charts is: ctypes
lets other threads run during every call into the library. The threads call
the exports straight through the trendel package's loaded library, so that
nothing but the library's own lock keeps them apart. Four threads draw,
track, read back and save their own windows while three more share one
window; then every saved file must decode (Pillow) to its size, and a save
that cannot work must answer -6."""

import ctypes
import os
import sys
import tempfile
import threading

from PIL import Image

from trendel._library import library

ROUNDS = 8
OWN_WINDOW_THREADS = 4
SHARING_THREADS = 3
SIZE = (200, 150)
CATEGORIES = [b"Jan", b"Feb", b"Mar", b"Apr"]
SERIES = [b"North", b"South"]


def texts(values):
    return (ctypes.c_char_p * len(values))(*values)


def define(dll, window, number):
    values = (ctypes.c_double * 8)(number, 4, 2, float("nan"), 3, 1, number + 2, 5)
    result = dll.Trendel_SetValues(
        window, b"LINE_GRAPH", f"Thread {number}".encode(), 0, b"Month", b"Units", b"Region",
        texts(SERIES), len(SERIES), None, 0, 0, 0.0, 0.0, number % 2, b"", 0.0, 0, 1,
        texts(CATEGORIES), len(CATEGORIES), values, len(SERIES), len(CATEGORIES))
    if result != 0:
        raise RuntimeError(f"Trendel_SetValues answered {result}")


def work(dll, number, window, own, output, failures):
    pixels = (ctypes.c_uint32 * (SIZE[0] * SIZE[1]))()
    try:
        for _ in range(ROUNDS):
            if own:
                define(dll, window, number)
                dll.Trendel_DrawGraph(window)
                dll.TrendelHost_ReadPixels(window, pixels, *SIZE)
            for x in range(0, SIZE[0], 37):
                dll.Trendel_MouseMove(window, 0, x, SIZE[1] // 2)
            dll.Trendel_MouseMove(window, 0, -5, -5)
            for extension in ("gif", "jpg", "bmp"):
                name = f"thread{number}.{extension}" if own else f"shared.{extension}"
                path = os.path.join(output, name).encode()
                result = dll.Trendel_SaveFile(window, path, *SIZE)
                if result != 0:
                    failures.append(f"thread {number}: saving {name} answered {result}")
            dll.TrendelHost_SavePng(window, os.path.join(output, f"png{number}.png").encode(), *SIZE)
            dll.Trendel_SaveFile(window, b"", 60, 40)
    except Exception as error:  # reported below, whatever it is
        failures.append(f"thread {number}: {error!r}")


def main():
    dll = library()
    output = tempfile.mkdtemp(prefix="trendel-threads-")
    failures = []
    windows = [dll.TrendelHost_CreateWindow(*SIZE) for _ in range(OWN_WINDOW_THREADS + 1)]
    shared = windows[-1]
    define(dll, shared, 99)
    threads = [threading.Thread(target=work, args=(dll, number, windows[number], True, output,
                                                   failures))
               for number in range(OWN_WINDOW_THREADS)]
    threads += [threading.Thread(target=work, args=(dll, OWN_WINDOW_THREADS + number, shared, False,
                                                    output, failures))
                for number in range(SHARING_THREADS)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()

    names = sorted(os.listdir(output))
    for name in names:
        with Image.open(os.path.join(output, name)) as image:
            image.load()
            if image.size != SIZE:
                failures.append(f"{name} is {image.size}, not {SIZE}")
    expected = 3 * (OWN_WINDOW_THREADS + 1) + len(threads)
    if len(names) != expected:
        failures.append(f"{len(names)} files, not {expected}, in {output}: {names}")

    result = dll.Trendel_SaveFile(shared, os.path.join(output, "huge.gif").encode(), 40000, 40000)
    if result != -6:
        failures.append(f"a picture too large to draw answered {result}, not -6")

    for window in windows:
        dll.Trendel_Destroy(window)
        dll.TrendelHost_DestroyWindow(window)
    if failures:
        sys.exit("threaded python host:\n" + "\n".join(failures))
    print(f"threaded python host: {len(threads)} threads drew, tracked and saved; files in {output}")


if __name__ == "__main__":
    main()
