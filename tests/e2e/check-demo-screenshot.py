#!/usr/bin/python3
"""Check screenshots of the demo host before and after a mouse move.

usage: check-demo-screenshot.py BEFORE.png AFTER.png LEFT TOP WIDTH HEIGHT

LEFT, TOP, WIDTH and HEIGHT give the demo's client area on the screen. Both
screenshots must show the graph (the black frame of its background around
the client area); after the move, one column of the plot must hold the
tracking line's grey (225, 225, 225) over at least a third of the client
height, which it did not before, and a value box must have appeared (many
more pixels changed than the line itself).
"""
import sys

from PIL import Image

TRACKING_GREY = (225, 225, 225)
BLACK = (0, 0, 0)


def client_area(path, left, top, width, height):
    with Image.open(path) as screen:
        return screen.convert("RGB").crop((left, top, left + width, top + height))


def frame_is_black(image):
    width, height = image.size
    frame = ([(x, 0) for x in range(width)] + [(x, height - 1) for x in range(width)] +
             [(0, y) for y in range(height)] + [(width - 1, y) for y in range(height)])
    return all(image.getpixel(point) == BLACK for point in frame)


def longest_grey_column(image):
    width, height = image.size
    pixels = image.load()
    best = (0, -1)
    for x in range(width):
        count = sum(1 for y in range(height) if pixels[x, y] == TRACKING_GREY)
        best = max(best, (count, x))
    return best


def main(before_path, after_path, left, top, width, height):
    before = client_area(before_path, left, top, width, height)
    after = client_area(after_path, left, top, width, height)
    failures = []
    for name, image in (("before", before), ("after", after)):
        if not frame_is_black(image):
            failures.append(f"{name}: the client area shows no graph (no black frame)")
    grey_after, column = longest_grey_column(after)
    grey_before = sum(1 for y in range(height) if before.getpixel((column, y)) == TRACKING_GREY)
    if grey_after < height // 3 or grey_before >= height // 3:
        failures.append(f"no tracking line: column {column} holds {grey_after} grey pixels "
                        f"after the move, {grey_before} before")
    changed = sum(1 for a, b in zip(before.getdata(), after.getdata()) if a != b)
    if changed < grey_after + 500:
        failures.append(f"only {changed} pixels changed: no value box")
    print(f"demo: tracking line at x {column} ({grey_after} pixels), {changed} pixels changed")
    for failure in failures:
        print(f"FAIL {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], *(int(value) for value in sys.argv[3:])))
