#!/usr/bin/python3
"""Make the fonts that answer "Arial" in the Windows test prefix.

usage: make-arial-stand-in.py OUTDIR    (python3-fonttools, fonts-liberation2)

Liberation Sans has Arial's advance widths and vertical metrics, but its OS/2
table holds the modern xAvgCharWidth, the average over all glyphs. Arial's
table holds the classic one: the lowercase letters and the space, weighted by
how often they occur in English text. GDI reports tmAveCharWidth from that
field, and the library sizes its text by it, so the copies written here get
the classic average computed from Liberation's own advances (904 regular, 980
bold), and a family name of their own. tools/wine-prefix.sh registers that
family as Wine's replacement for "Arial".
"""
import os
import sys

from fontTools.ttLib import TTFont

FAMILY = "Trendel Sans"
FILE_STEM = "TrendelSans"
SOURCES = {
    "Regular": "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "Bold": "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
}
# Occurrences per thousand characters that the classic average weights by.
LETTER_WEIGHTS = {
    "a": 64, "b": 14, "c": 27, "d": 35, "e": 100, "f": 20, "g": 14, "h": 42, "i": 63,
    "j": 3, "k": 6, "l": 35, "m": 20, "n": 56, "o": 56, "p": 17, "q": 4, "r": 49,
    "s": 56, "t": 71, "u": 31, "v": 10, "w": 18, "x": 3, "y": 18, "z": 2, " ": 166,
}
# Name table entries: family, full name, PostScript name, typographic family.
FAMILY_NAME, FULL_NAME, POSTSCRIPT_NAME, TYPOGRAPHIC_FAMILY = 1, 4, 6, 16


def classic_average_width(font):
    glyph_of = font.getBestCmap()
    advances = font["hmtx"]
    total = sum(advances[glyph_of[ord(letter)]][0] * weight
                for letter, weight in LETTER_WEIGHTS.items())
    return round(total / 1000)


def rename(font, style):
    names = {
        FAMILY_NAME: FAMILY,
        TYPOGRAPHIC_FAMILY: FAMILY,
        FULL_NAME: FAMILY if style == "Regular" else f"{FAMILY} {style}",
        POSTSCRIPT_NAME: f"{FILE_STEM}-{style}",
    }
    for record in font["name"].names:
        if record.nameID in names:
            record.string = names[record.nameID]


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    for style, source in SOURCES.items():
        font = TTFont(source)
        font["OS/2"].xAvgCharWidth = classic_average_width(font)
        rename(font, style)
        target = os.path.join(outdir, f"{FILE_STEM}-{style}.ttf")
        font.save(target)
        print(f"{target}: xAvgCharWidth {font['OS/2'].xAvgCharWidth}")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
