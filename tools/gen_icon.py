#!/usr/bin/env python3
"""Draws Aevorium's application icon into packaging/icons/aevorium.svg.

Usage (from the repository's root, Python 3 standard library only):

    python3 tools/gen_icon.py            # writes the SVG
    python3 tools/gen_icon.py --check    # writes nothing; fails when the SVG is not what this draws

The icon is the instrument panel of the program: a teal panel with its four screws, on which the
spiral of time coils outwards from the formation of the Earth, coloured by the conventional colours
of the eons and eras (oldest at the centre), and the aqua sphere of the date at its outer end, the
present. The build renders the SVG to the 48, 128 and 256 pixel PNG files that the package installs.
"""

import argparse
import math
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "packaging", "icons", "aevorium.svg")

SIZE = 256
CX, CY = 124.0, 134.0          # centre of the spiral
TILT = 0.64                    # the spiral seen from above at a slant, as in the 3D view
TURNS = 2.6
R0, R1 = 10.0, 92.0            # radius at the centre and at the outer end
TEAL, AQUA = "#008080", "#00ffff"

# The CGMW colours of the time spans, oldest first, with the share of the coil each takes
# (not to scale: the young eras get room to show, as on the program's logarithmic spiral).
SPANS = [
    ("Hadéen", "#ae027e", 0.12),
    ("Archéen", "#f0047f", 0.20),
    ("Protérozoïque", "#f73563", 0.22),
    ("Paléozoïque", "#99c08d", 0.18),
    ("Mésozoïque", "#67c5ca", 0.15),
    ("Cénozoïque", "#f2f91d", 0.13),
]


def spiral_point(t):
    """The point at share t (0 centre, 1 outer end) of the coil."""
    angle = math.pi * 0.75 + t * TURNS * 2 * math.pi
    r = R0 + (R1 - R0) * t
    return CX + r * math.cos(angle), CY + TILT * r * math.sin(angle)


def spiral_path(t0, t1, steps_per_turn=96):
    n = max(2, int((t1 - t0) * TURNS * steps_per_turn))
    pts = [spiral_point(t0 + (t1 - t0) * i / n) for i in range(n + 1)]
    return "M" + " L".join("%.2f,%.2f" % p for p in pts)


def screw(x, y):
    return ('<g transform="translate(%g %g) rotate(35)">'
            '<circle r="7" fill="url(#screw)" stroke="#004848" stroke-width="1.2"/>'
            '<path d="M-5,0 H5" stroke="#003c3c" stroke-width="2.2" stroke-linecap="round"/></g>' % (x, y))


def icon_svg():
    defs = (
        '<linearGradient id="panel" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#0a9a9a"/><stop offset="1" stop-color="#006464"/></linearGradient>'
        '<linearGradient id="bevel" x1="0" y1="0" x2="1" y2="1">'
        '<stop offset="0" stop-color="#7fe6e6"/><stop offset="0.5" stop-color="#0a8c8c"/>'
        '<stop offset="1" stop-color="#003c3c"/></linearGradient>'
        '<radialGradient id="screw" cx="0.35" cy="0.35" r="0.7">'
        '<stop offset="0" stop-color="#e6f2f2"/><stop offset="1" stop-color="#6f9c9c"/></radialGradient>'
        '<radialGradient id="well" cx="0.5" cy="0.5" r="0.5">'
        '<stop offset="0" stop-color="#004848" stop-opacity="0.55"/>'
        '<stop offset="1" stop-color="#004848" stop-opacity="0"/></radialGradient>'
        '<radialGradient id="sphere" cx="0.38" cy="0.34" r="0.66">'
        '<stop offset="0" stop-color="#ffffff"/><stop offset="0.35" stop-color="%s"/>'
        '<stop offset="1" stop-color="#009a9a"/></radialGradient>'
        '<radialGradient id="glow" cx="0.5" cy="0.5" r="0.5">'
        '<stop offset="0" stop-color="%s" stop-opacity="0.7"/>'
        '<stop offset="1" stop-color="%s" stop-opacity="0"/></radialGradient>' % (AQUA, AQUA, AQUA))
    body = []
    # The panel: a raised bevel around a teal face.
    body.append('<rect x="8" y="8" width="240" height="240" rx="44" fill="url(#bevel)"/>')
    body.append('<rect x="16" y="16" width="224" height="224" rx="37" fill="url(#panel)"/>')
    for x, y in ((40, 40), (216, 40), (40, 216), (216, 216)):
        body.append(screw(x, y))
    body.append('<ellipse cx="%g" cy="%g" rx="112" ry="76" fill="url(#well)"/>' % (CX, CY))
    # The coil: a dark underlay for contrast, then one stroke per time span.
    body.append('<path d="%s" fill="none" stroke="#003c3c" stroke-width="19" stroke-linecap="round" '
                'stroke-linejoin="round"/>' % spiral_path(0, 1))
    t = 0.0
    for i, (_name, colour, share) in enumerate(SPANS):
        cap = "round" if i in (0, len(SPANS) - 1) else "butt"
        body.append('<path d="%s" fill="none" stroke="%s" stroke-width="13" stroke-linecap="%s" '
                    'stroke-linejoin="round"/>' % (spiral_path(t, min(1.0, t + share + 0.004)), colour, cap))
        t += share
    # The date sphere at the present, with its glow.
    x, y = spiral_point(1.0)
    body.append('<circle cx="%.2f" cy="%.2f" r="34" fill="url(#glow)"/>' % (x, y))
    body.append('<circle cx="%.2f" cy="%.2f" r="19" fill="url(#sphere)" stroke="#005a5a" stroke-width="2"/>'
                % (x, y))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
            '<title>Aevorium</title>\n<defs>%s</defs>\n%s\n</svg>\n'
            % (SIZE, SIZE, SIZE, SIZE, defs, "\n".join(body)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="fail when the SVG is out of date")
    args = parser.parse_args()
    svg = icon_svg()
    if args.check:
        try:
            with open(OUT, encoding="utf-8") as f:
                same = f.read() == svg
        except OSError:
            same = False
        if not same:
            sys.exit("%s n'est pas à jour : lancer python3 tools/gen_icon.py" % os.path.relpath(OUT, ROOT))
        return
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    with open(OUT, "w", encoding="utf-8") as f:
        f.write(svg)
    print("icône écrite dans %s" % os.path.relpath(OUT, ROOT))


if __name__ == "__main__":
    main()
