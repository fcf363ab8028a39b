#!/usr/bin/python3
"""Decode the images the end-to-end tests saved, with decoders of our own
choosing that share no code with the library, and compare them with the
pictures the same graph gave in a window.

usage: check-saved-images.py FOLDER

FOLDER/manifest.txt lists one saved file per line: its name, the format its
name selects (bmp, gif or jpeg) and its reference picture (a PPM of the
window). Each file is decoded twice, by Pillow and by a command-line
decoder (ImageMagick for BMP, giflib's gif2rgb for GIF, libjpeg-turbo's
djpeg for JPEG):
  - BMP must give the reference exactly, and so must GIF while the picture
    has no more than 256 colours, which charts do not exceed, except that a
    pixel may take a palette colour less than 8 away: Wine's block transfer
    into an 8-bit picture matches colours by their top 5 bits, so of two
    palette colours that close it may pick the other one;
  - JPEG is lossy: quality 100 must show as quantisation tables of ones, and
    the picture must stay within a small mean error of the reference;
and the two decoders must agree.
"""
import os
import subprocess
import sys
import tempfile

from PIL import Image

# How far Wine's 32-to-8-bit block transfer may move a colour (see above).
GIF_COLOUR_TOLERANCE = 7

# Quality 100 with 2 x 2 chroma subsampling: thin coloured lines bleed into
# their neighbours, text edges ring. Measured on charts: about 0.3 mean
# error per sample; three times that leaves room without hiding a wrong
# picture, which gives tens.
JPEG_MEAN_ERROR_LIMIT = 1.0


class Failure(Exception):
    pass


def run(command):
    result = subprocess.run(command, capture_output=True, check=False)
    if result.returncode != 0:
        raise Failure(f"{command[0]} failed: {result.stderr.decode(errors='replace').strip()}")
    return result.stdout


def rgb_bytes(image):
    return image.convert("RGB").tobytes()


def decode_with_pillow(path, expected_format):
    with Image.open(path) as image:
        if image.format.lower() != expected_format:
            raise Failure(f"Pillow reads {image.format}, not {expected_format}")
        return image.size, rgb_bytes(image), image.mode


def decode_ppm_output(data):
    with tempfile.NamedTemporaryFile(suffix=".ppm") as ppm:
        ppm.write(data)
        ppm.flush()
        with Image.open(ppm.name) as image:
            return image.size, rgb_bytes(image)


def decode_with_tool(path, image_format, size):
    if image_format == "bmp":
        return decode_ppm_output(run(["/usr/bin/convert", f"bmp:{path}", "ppm:-"]))
    if image_format == "jpeg":
        return decode_ppm_output(run(["djpeg", "-pnm", path]))
    # gif2rgb writes the picture as raw interleaved RGB, top row first.
    with tempfile.TemporaryDirectory() as folder:
        target = os.path.join(folder, "picture.rgb")
        run(["gif2rgb", "-1", "-o", target, path])
        with open(target, "rb") as raw:
            return size, raw.read()


def mean_error(first, second):
    return sum(abs(a - b) for a, b in zip(first, second)) / len(first)


def jpeg_segments(data):
    """(marker, payload) of each segment before the scan."""
    position = 2
    while position + 4 <= len(data) and data[position] == 0xFF:
        marker = data[position + 1]
        length = int.from_bytes(data[position + 2:position + 4], "big")
        yield marker, data[position + 4:position + 2 + length]
        if marker == 0xDA:
            return
        position += 2 + length


def check_jpeg_stream(data):
    frames = [payload for marker, payload in jpeg_segments(data) if marker == 0xC0]
    if len(frames) != 1:
        raise Failure("no single baseline frame (SOF0)")
    if frames[0][5] != 3:
        raise Failure(f"{frames[0][5]} components, not 3")
    tables = [payload for marker, payload in jpeg_segments(data) if marker == 0xDB]
    for payload in tables:
        position = 0
        while position < len(payload):
            precision = payload[position] >> 4
            size = 128 if precision else 64
            values = payload[position + 1:position + 1 + size]
            if any(value != 1 for value in (values if not precision else values[1::2])):
                raise Failure("quantisation tables other than quality 100")
            position += 1 + size
    if not tables:
        raise Failure("no quantisation tables")


def check_gif_stream(data):
    if data[:6] != b"GIF87a":
        raise Failure(f"signature {data[:6]!r}, not GIF87a")
    if data[10] != 0xE7:
        raise Failure(f"screen flags {data[10]:#04x}: no 256-entry global colour table")
    if data[-1] != 0x3B:
        raise Failure("no trailer")


def check(folder, name, image_format, reference_name):
    path = os.path.join(folder, name)
    with Image.open(os.path.join(folder, reference_name)) as reference:
        reference_size = reference.size
        reference_pixels = rgb_bytes(reference)
        reference_colours = len(reference.getcolors(maxcolors=1 << 24))
    with open(path, "rb") as stream:
        data = stream.read()

    size, pixels, mode = decode_with_pillow(path, image_format)
    tool_size, tool_pixels = decode_with_tool(path, image_format, size)
    if size != reference_size or tool_size != reference_size:
        raise Failure(f"size {size} (tool {tool_size}), window {reference_size}")
    if pixels != tool_pixels:
        raise Failure(f"the decoders disagree (mean error {mean_error(pixels, tool_pixels):.3f})")

    if image_format == "jpeg":
        check_jpeg_stream(data)
        error = mean_error(pixels, reference_pixels)
        if error > JPEG_MEAN_ERROR_LIMIT:
            raise Failure(f"mean error {error:.3f} against the window's picture")
        return f"{mode}, mean error {error:.3f}"
    if image_format == "gif":
        check_gif_stream(data)
        if reference_colours > 256:
            return f"{reference_colours} colours, reduced"
        farthest = max(abs(a - b) for a, b in zip(pixels, reference_pixels))
        if farthest > GIF_COLOUR_TOLERANCE:
            raise Failure(f"differs from the window's picture by up to {farthest}")
        moved = sum(1 for index in range(0, len(pixels), 3)
                    if pixels[index:index + 3] != reference_pixels[index:index + 3])
        if moved:
            return f"{mode}, {reference_colours} colours, {moved} pixels on a palette neighbour"
    if pixels != reference_pixels:
        raise Failure(f"differs from the window's picture "
                      f"(mean error {mean_error(pixels, reference_pixels):.3f})")
    return f"{mode}, {reference_colours} colours, identical"


def main(folder):
    manifest = os.path.join(folder, "manifest.txt")
    with open(manifest, encoding="utf-8") as lines:
        entries = [line.split() for line in lines if line.strip()]
    passed = failed = 0
    for name, image_format, reference in entries:
        try:
            result = check(folder, name, image_format, reference)
            print(f"ok   {name} ({image_format}): {result}")
            passed += 1
        except Failure as failure:
            print(f"FAIL {name} ({image_format}): {failure}")
            failed += 1
    print(f"saved images: {passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
