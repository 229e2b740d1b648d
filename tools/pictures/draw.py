#!/usr/bin/env python3
"""Writes the SVG sources of the period pictures into data-src/pictures/.

Usage: python3 tools/pictures/draw.py [name ...]
The drawings are made by the functions of precambrian.py and phanerozoic.py; the SVG files
they write are the pictures' sources, rendered by tools/gen_data.py --pictures.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import precambrian  # noqa: E402

PICTURES = dict(precambrian.PICTURES)
try:
    import phanerozoic  # noqa: E402
    PICTURES.update(phanerozoic.PICTURES)
except ImportError:
    pass

OUT = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "data-src", "pictures")


def main():
    os.makedirs(OUT, exist_ok=True)
    names = sys.argv[1:] or sorted(PICTURES)
    for name in names:
        with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(PICTURES[name]())
    print("%d dessins écrits dans %s" % (len(names), os.path.relpath(OUT)))


if __name__ == "__main__":
    main()
