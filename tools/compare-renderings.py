#!/usr/bin/python3
"""Compare the chart corpus as the two builds rendered it, pixel by pixel.

usage: compare-renderings.py WINDOWS_FOLDER PORTABLE_FOLDER [DIFFERENCES_FOLDER]

Both folders hold NAME.ppm for every corpus entry (corpus_renderer); the
Windows folder also holds NAME.cells, the cells of the texts real GDI drew
(one "left top right bottom" line each). Geometry must match exactly: a
differing pixel outside every text cell is a geometry difference. Inside the
cells the two font renderers may differ (glyph shapes, antialiasing), so
differences there only lower the share of identical pixels. Each cell is
widened by TEXT_MARGIN pixels, because glyphs may overhang their cell and
antialiasing reaches one pixel further.

Prints one line per chart and the overall share; exits with 1 when any chart
has a geometry difference, a size mismatch or a missing picture, or when the
overall share of identical pixels is below MINIMUM_SHARE. With
DIFFERENCES_FOLDER, every chart that differs gets NAME.png there: the
portable picture dimmed, geometry differences red, text differences yellow.
"""
import os
import sys

from PIL import Image

TEXT_MARGIN = 2
# Glyphs differ between FreeType and GDI inside text cells only; both DLLs
# agree with the portable build on well over 99.9 % of the corpus's pixels
# (99.99 % for x64, rotated text making most of the rest).
MINIMUM_SHARE = 99.9
GEOMETRY_COLOUR = (255, 0, 0)
TEXT_COLOUR = (255, 200, 0)


def read_cells(path, width, height):
    """The text cells as a mask: one byte per pixel, 1 inside a cell."""
    mask = bytearray(width * height)
    if not os.path.exists(path):
        return mask
    with open(path, encoding="ascii") as lines:
        for line in lines:
            left, top, right, bottom = (int(value) for value in line.split())
            left, top = max(left - TEXT_MARGIN, 0), max(top - TEXT_MARGIN, 0)
            right, bottom = min(right + TEXT_MARGIN, width), min(bottom + TEXT_MARGIN, height)
            for y in range(top, bottom):
                mask[y * width + left:y * width + right] = b"\x01" * max(right - left, 0)
    return mask


def compare(name, windows_folder, portable_folder, differences_folder):
    with Image.open(os.path.join(windows_folder, name + ".ppm")) as image:
        windows = image.convert("RGB")
    with Image.open(os.path.join(portable_folder, name + ".ppm")) as image:
        portable = image.convert("RGB")
    if windows.size != portable.size:
        return None, f"sizes differ: {windows.size} and {portable.size}"
    width, height = windows.size
    cells = read_cells(os.path.join(windows_folder, name + ".cells"), width, height)
    geometry = []
    text = []
    for index, (a, b) in enumerate(zip(windows.getdata(), portable.getdata())):
        if a != b:
            (text if cells[index] else geometry).append(index)
    if differences_folder and (geometry or text):
        picture = portable.point(lambda value: 128 + value // 2)
        for indices, colour in ((text, TEXT_COLOUR), (geometry, GEOMETRY_COLOUR)):
            for index in indices:
                picture.putpixel((index % width, index // width), colour)
        picture.save(os.path.join(differences_folder, name + ".png"))
    first = ""
    if geometry:
        x, y = geometry[0] % width, geometry[0] // width
        first = (f"; first geometry difference at ({x}, {y}): "
                 f"{windows.getpixel((x, y))} on Windows, {portable.getpixel((x, y))} portable")
    return (width * height, len(text), len(geometry)), first


def main(windows_folder, portable_folder, differences_folder=None):
    if differences_folder:
        os.makedirs(differences_folder, exist_ok=True)
    names = sorted(entry[:-4] for entry in os.listdir(windows_folder) if entry.endswith(".ppm"))
    if not names:
        print("cross-check: no pictures in", windows_folder)
        return 1
    total = identical = 0
    faults = 0
    print(f"{'chart':32} {'identical':>10} {'text':>8} {'geometry':>9}")
    for name in names:
        if not os.path.exists(os.path.join(portable_folder, name + ".ppm")):
            print(f"{name:32} missing in {portable_folder}")
            faults += 1
            continue
        counts, note = compare(name, windows_folder, portable_folder, differences_folder)
        if counts is None:
            print(f"{name:32} {note}")
            faults += 1
            continue
        pixels, text, geometry = counts
        total += pixels
        identical += pixels - text - geometry
        faults += 1 if geometry else 0
        share = 100.0 * (pixels - text - geometry) / pixels
        print(f"{name:32} {share:9.3f}% {text:8} {geometry:9}{note}")
    overall = 100.0 * identical / total if total else 0.0
    verdict = "passed" if faults == 0 and overall >= MINIMUM_SHARE else "FAILED"
    print(f"cross-check {verdict}: {len(names)} charts, {overall:.3f}% of pixels identical "
          f"(at least {MINIMUM_SHARE}% needed), {faults} with geometry differences or missing")
    return 0 if verdict == "passed" else 1


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
