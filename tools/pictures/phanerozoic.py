"""Pictures of the Phanerozoic periods. Animals are drawn facing right unless mirrored."""

import math
import random

from common import (H, W, circle, doc, ellipse, g, lin, path, poly, rad, rect, scale_bar, sky, slab, text,
                    wave_line)


def underwater(top="#3f9fb0", bottom="#0f3442", floor="#b8a47a", floor_y=280):
    defs = lin("water", [(0, top), (1, bottom)])
    body = rect("url(#water)")
    for x in range(40, 700, 110):
        body += poly([(x, 0), (x + 35, 0), (x - 70, floor_y), (x - 125, floor_y)], "#ffffff", extra='opacity="0.05"')
    body += path("M0,%g Q160,%g 320,%g T632,%g L632,352 L0,352 Z" % (floor_y, floor_y - 14, floor_y + 4, floor_y - 6), floor)
    return defs, body


def land(sky_top, sky_bottom, ground_top, ground_bottom, horizon=210, hills="#9a8f80"):
    defs, body = sky(sky_top, sky_bottom, horizon + 20)
    defs += lin("ground", [(0, ground_top), (1, ground_bottom)])
    body += path("M0,%g L80,%g L170,%g L260,%g L380,%g L470,%g L560,%g L632,%g L632,%g L0,%g Z"
                 % (horizon, horizon - 40, horizon - 20, horizon - 55, horizon - 25, horizon - 50, horizon - 30,
                    horizon - 45, horizon + 5, horizon + 5), hills, extra='opacity="0.8"')
    body += rect("url(#ground)", 0, horizon, W, H - horizon)
    return defs, body


def mirror(content, x, y, s=1.0):
    return g(content, "translate(%g,%g) scale(%g,%g)" % (x, y, -s, s))


def place(content, x, y, s=1.0, a=0):
    return g(content, "translate(%g,%g) rotate(%g) scale(%g)" % (x, y, a, s))


# --- Cambrian --------------------------------------------------------------------------------

def trilobite_top(colour="#7a6a5a", line="#3f352b", segments=9, spines=False):
    """A trilobite seen from above, head up (negative y)."""
    half = ""
    half += path("M0,-60 C30,-60 52,-48 56,-22 L58,-16 L4,-16 Z", colour, line, 2)  # half cephalon
    if spines:
        half += path("M56,-20 C64,10 66,50 60,90 C56,50 50,10 44,-14 Z", colour, line, 1.5)
    for k in range(segments):
        y = -16 + k * 9
        w = 50 - k * 2.2
        tip = (w + 10, y + 16) if spines else (w + 2, y + 8)
        half += path("M4,%g L%g,%g L%g,%g L%g,%g L4,%g Z" % (y, w, y, tip[0], tip[1], w - 4, y + 9, y + 9), colour, line, 1.2)
    py = -16 + segments * 9
    half += path("M0,%g C18,%g 22,%g 0,%g Z" % (py, py, py + 16, py + 22), colour, line, 1.2)
    axis = path("M-12,-54 C-16,-40 -10,-24 -9,-16 L9,-16 C10,-24 16,-40 12,-54 C8,-58 -8,-58 -12,-54 Z", colour, line, 1.5)
    for k in range(segments):
        y = -16 + k * 9
        axis += rect(colour, -9 + k * 0.3, y, 18 - k * 0.6, 9, 'stroke="%s" stroke-width="1.2"' % line)
    eye = path("M22,-40 q8,6 6,16", stroke=line, sw=3)
    return half + g(half, "scale(-1,1)") + axis + eye + g(eye, "scale(-1,1)")


def anomalocaris():
    body = ""
    for side in (1, -1):
        flaps = ""
        for k in range(11):
            x = -95 + k * 19
            flaps += ellipse(x, side * 26, 16, 14 - abs(k - 4) * 0.8, "#c0644a", "#6a2a1a", 1.5,
                             'transform="rotate(%d %g %g)"' % (side * 20, x, side * 26))
        body += flaps
        arm = ""
        for k in range(11):
            a = k * 14
            x = -120 - 40 * math.sin(math.radians(a))
            y = side * (8 + 40 * (1 - math.cos(math.radians(a))))
            arm += circle(x, y, 6 - k * 0.25, "#d8875a", "#6a2a1a", 1.2)
            arm += path("M%g,%g l%g,%g" % (x, y, -side * 0 + 6, side * 9), stroke="#6a2a1a", sw=1.5)
        body += arm
        body += path("M-100,%g l-8,%g" % (side * 10, side * 22), stroke="#6a2a1a", sw=4)
        body += circle(-108, side * 34, 9, "#2a1a10", "#6a2a1a", 2)
        for k in range(3):
            body += ellipse(112 + k * 4, side * (10 + k * 10), 26, 7, "#b85a40", "#6a2a1a", 1.5,
                            'transform="rotate(%d %g %g)"' % (side * (20 + k * 18), 112 + k * 4, side * (10 + k * 10)))
    body += ellipse(0, 0, 115, 24, "#d07a5a", "#6a2a1a", 2)
    for k in range(10):
        body += path("M%g,-20 q4,20 0,40" % (-80 + k * 18), stroke="#8a3a24", sw=1.2)
    return body


def sponge(x, y, h, colour="#d6b45a"):
    return (path("M%g,%g C%g,%g %g,%g %g,%g L%g,%g C%g,%g %g,%g %g,%g Z"
                 % (x - 8, y, x - 16, y - h * 0.5, x - 14, y - h, x - 10, y - h, x + 10, y - h, x + 14, y - h,
                    x + 16, y - h * 0.5, x + 8, y), colour, "#7a5a22", 2)
            + ellipse(x, y - h, 10, 3, "#5a4018"))


def cambrien_bio():
    defs, body = underwater()
    for x, h in ((60, 80), (90, 55), (540, 95), (575, 60), (600, 75)):
        body += sponge(x, 290, h)
    body += place(trilobite_top("#8a7a62", "#3f352b"), 200, 305, 0.45, 80)
    body += place(trilobite_top("#8a7a62", "#3f352b"), 420, 310, 0.38, -70)
    body += place(trilobite_top("#8a7a62", "#3f352b"), 330, 320, 0.3, 100)
    body += place(anomalocaris(), 330, 150, 1.0, -8)
    return doc(body, defs)


def cambrien_paleo():
    defs, body = slab("#7a7670", "#4f4c48", seed=21, spots=20, spot="#3e3b38")
    body += place(trilobite_top("#9a948a", "#2f2c28", 13, True), 316, 150, 1.15, 0)
    body += scale_bar(490, 330, 70, "2 cm", "#eee")
    return doc(body, defs)


# --- Ordovician ------------------------------------------------------------------------------

def orthocone(length=260):
    """A straight-shelled nautiloid, aperture to the right, tentacles out."""
    s = path("M0,-22 L%g,-2 L%g,2 L0,22 Z" % (-length, -length), "#d9c7a0", "#6a5a3a", 2)
    for k in range(1, 14):
        x = -k * length / 14
        hh = 22 - 20 * k / 14
        s += path("M%g,%g L%g,%g" % (x, -hh, x, hh), stroke="#8a6a3a", sw=3 if k % 2 else 1.5)
    for k in range(9):
        a = -30 + k * 7.5
        s += path("M0,0 q30,%g 60,%g" % (a * 0.5, a * 1.2), stroke="#c98a6a", sw=5, extra='stroke-linecap="round"')
    s += ellipse(6, 0, 14, 20, "#c98a6a", "#7a4a30", 2) + circle(10, -8, 4, "#222")
    return s


def crinoid(x, y, h, lean, colour="#c8746a"):
    s = path("M%g,%g q%g,%g %g,%g" % (x, y, lean, -h / 2, lean / 2, -h), stroke=colour, sw=5)
    for k in range(1, 14):
        t = k / 14
        s += circle(x + lean * (2 * t * (1 - t)) + lean / 2 * t * t, y - h * t, 2, "#8a3a3a")
    cx, cy = x + lean / 2, y - h
    for k in range(10):
        a = -160 + k * 14
        ax, ay = cx + 50 * math.cos(math.radians(a)), cy + 50 * math.sin(math.radians(a)) - 10
        s += path("M%g,%g Q%g,%g %g,%g" % (cx, cy, (cx + ax) / 2, cy - 30, ax, ay), stroke=colour, sw=3)
        for j in range(1, 6):
            t = j / 6
            px, py = cx + (ax - cx) * t, cy + (ay - cy) * t - 15 * math.sin(math.pi * t)
            s += path("M%g,%g l-4,-6 M%g,%g l4,-6" % (px, py, px, py), stroke=colour, sw=1)
    s += path("M%g,%g l-10,-14 h20 Z" % (cx, cy + 4), colour, "#8a3a3a", 1.5)
    return s


def ordovicien_bio():
    defs, body = underwater("#4aa7b8", "#113a48", "#c2ad80", 285)
    body += crinoid(70, 300, 170, 20) + crinoid(130, 310, 120, -15, "#d69a5a") + crinoid(560, 300, 160, -25, "#b86aa0")
    for x, y, r in ((250, 300, 40), (480, 305, 34), (380, 320, 26)):
        body += path("M%g,%g A%g,%g 0 0 1 %g,%g Z" % (x - r, y, r, r * 0.8, x + r, y), "#b8a27a", "#6a5a3a", 2)
        for k in range(-3, 4):
            body += circle(x + k * r / 4, y - r * 0.4, r / 10, "#6a5a3a")
    for x, y, a in ((320, 300, 70), (430, 290, -30)):
        body += g(path("M0,0 C-6,-20 -4,-40 6,-50 L14,-48 C8,-36 8,-16 12,0 Z", "#d8b892", "#7a5a3a", 2), "translate(%g,%g) rotate(%g)" % (x, y, a))
    body += place(orthocone(300), 400, 130, 0.95, 4)
    body += place(trilobite_top("#8a7a62", "#3f352b"), 180, 318, 0.3, 90)
    return doc(body, defs)


def graptolite_stipe(length, teeth=18):
    s = path("M0,0 L%g,0" % length, stroke="#cfd3d6", sw=3)
    for k in range(teeth):
        x = k * length / teeth
        s += path("M%g,0 l%g,-7 l0,7" % (x, length / teeth), "#cfd3d6", "#cfd3d6", 1)
    return s


def ordovicien_paleo():
    defs, body = slab("#3a3c3f", "#1f2022", seed=22, spots=15, spot="#55585c")
    for x, y, a, l in ((170, 60, 10, 150), (430, 70, -20, 130), (300, 170, 5, 120)):
        fork = place(graptolite_stipe(l), 0, 0, 1, 75) + g(place(graptolite_stipe(l), 0, 0, 1, 75), "scale(-1,1)")
        fork += path("M0,0 l0,-18", stroke="#cfd3d6", sw=3)
        body += place(fork, x, y, 1, a)
    body += place(graptolite_stipe(160, 22), 470, 300, 1, -35)
    body += scale_bar(480, 330, 60, "1 cm", "#eee")
    return doc(body, defs)


# --- Silurian --------------------------------------------------------------------------------

def eurypterid():
    s = ""
    for side in (1, -1):
        for k, (a, l) in enumerate(((-60, 40), (-40, 46), (-20, 50), (0, 48))):
            s += path("M0,%g l%g,%g" % (-40 + k * 8, side * l * math.cos(math.radians(a)), l * math.sin(math.radians(a)) - 10),
                      stroke="#5a3a22", sw=4)
        s += path("M%g,-12 C%g,0 %g,30 %g,40 C%g,32 %g,10 %g,-2 Z" % (side * 20, side * 60, side * 74, side * 62, side * 52, side * 40, side * 22),
                  "#a8704a", "#5a3a22", 2)
    s += path("M-40,-20 C-40,-60 40,-60 40,-20 Z", "#b87a50", "#5a3a22", 2)
    s += ellipse(-14, -40, 5, 7, "#2a1a10") + ellipse(14, -40, 5, 7, "#2a1a10")
    for k in range(12):
        w = 40 - k * 2.8 if k < 7 else 18 - (k - 7) * 2
        s += rect("#b87a50", -w, -20 + k * 12, 2 * w, 12, 'stroke="#5a3a22" stroke-width="1.5" rx="3"')
    s += path("M-6,124 L0,180 L6,124 Z", "#8a5a3a", "#5a3a22", 1.5)
    return s


def cooksonia(x, y, h):
    s = path("M%g,%g L%g,%g" % (x, y, x, y - h * 0.5), stroke="#4a7a2a", sw=3)
    for dx in (-1, 1):
        s += path("M%g,%g q%g,-10 %g,%g" % (x, y - h * 0.5, dx * 6, dx * 14, -h * 0.3), stroke="#4a7a2a", sw=2.5)
        for ddx in (-1, 1):
            tx, ty = x + dx * 14, y - h * 0.8
            s += path("M%g,%g l%g,%g" % (tx, ty, ddx * 7, -h * 0.2), stroke="#4a7a2a", sw=2)
            s += ellipse(tx + ddx * 7, ty - h * 0.2 - 3, 4.5, 3.5, "#8a7a2a", "#4a4a1a", 1)
    return s


def silurien_bio():
    defs, body = sky("#8fc0e0", "#e8f0ee", 130)
    defs += lin("water", [(0, "#58a5a9"), (1, "#1d4c55")])
    body += path("M0,130 L632,130 L632,120 C520,110 440,112 380,122 L0,126 Z", "#8a7a5a")
    body += rect("url(#water)", 0, 130, W, 222)
    body += path("M0,130 L0,78 C60,70 140,84 240,100 L300,130 Z", "#7a6a4a")
    rnd = random.Random(3)
    for _ in range(20):
        x = rnd.uniform(10, 250)
        body += cooksonia(x, 102 + (x / 250) * 20 - rnd.uniform(0, 8), rnd.uniform(22, 40))
    body += path(wave_line(131, 2, 40), stroke="#e8f6f6", sw=2)
    body += path("M0,330 Q200,312 400,330 T632,320 L632,352 L0,352 Z", "#a4946a")
    body += place(eurypterid(), 400, 230, 0.85, -70)
    fish = path("M0,0 C20,-14 50,-12 70,0 C50,12 20,14 0,0 Z M0,0 L-18,-10 L-14,0 L-18,10 Z", "#7a8a9a", "#3a4a5a", 1.5) + circle(58, -2, 2.5, "#111")
    body += place(fish, 130, 220, 0.9) + place(fish, 180, 260, 0.7)
    return doc(body, defs)


def silurien_paleo():
    defs, body = slab("#cfc4ad", "#9b8e74", seed=23, spots=0)
    defs += '<clipPath id="sc"><rect x="14" y="14" width="604" height="324" rx="26"/></clipPath>'
    rnd = random.Random(5)
    nodes = {}
    for i in range(9):
        for j in range(6):
            nodes[(i, j)] = (i * 78 - 20 + rnd.uniform(-20, 20) + (j % 2) * 39, j * 68 + rnd.uniform(-15, 15))
    inner = ""
    edges = []
    for (i, j), p in nodes.items():
        for q in ((i + 1, j), (i, j + 1), (i - 1 + (j % 2) * 2 - 0, j + 1)):
            if q in nodes and rnd.random() < 0.8:
                edges.append((p, nodes[q]))
    for (x1, y1), (x2, y2) in edges:
        n = max(2, int(math.hypot(x2 - x1, y2 - y1) / 11))
        a = math.degrees(math.atan2(y2 - y1, x2 - x1))
        for k in range(n + 1):
            x, y = x1 + (x2 - x1) * k / n, y1 + (y2 - y1) * k / n
            inner += ellipse(x, y, 7, 5, "#6f5a3f", "#3f2f1f", 1.5, 'transform="rotate(%g %g %g)"' % (a, x, y))
            inner += ellipse(x, y, 3.5, 2.2, "#e8dcc4", extra='transform="rotate(%g %g %g)"' % (a, x, y))
    body += '<g clip-path="url(#sc)">%s</g>' % inner
    body += scale_bar(490, 330, 60, "1 cm", "#111")
    return doc(body, defs)


# --- Devonian --------------------------------------------------------------------------------

def dunkleosteus():
    s = path("M-180,0 C-140,-30 -60,-50 20,-55 C60,-56 110,-45 140,-20 C150,-8 148,10 130,20 C90,40 20,45 -40,38 C-100,32 -150,20 -180,0 Z", "#5a6a7a", "#22303c", 2)
    s += path("M-180,0 L-240,-50 L-222,0 L-240,40 Z", "#5a6a7a", "#22303c", 2)
    s += path("M10,-55 C60,-58 110,-46 140,-20 C150,-8 148,10 130,20 C100,32 60,34 20,30 C30,0 20,-30 10,-55 Z", "#8a8070", "#3a3228", 2.5)
    s += path("M40,-50 L60,-10 L100,-40 M60,-10 L20,25", stroke="#3a3228", sw=2)
    s += path("M130,-2 L146,4 L134,14 Z", "#e8e0d0", "#3a3228", 1.5)
    s += path("M120,20 L145,6 L150,12 L126,30 Z", "#6a6050", "#3a3228", 1.5)
    s += circle(108, -22, 8, "#f0e6c8", "#3a3228", 2) + circle(110, -22, 4, "#111")
    s += path("M-40,35 L-60,70 L-20,38 Z M-60,-45 L-30,-80 L-10,-52 Z", "#4a5a6a", "#22303c", 1.5)
    return s


def devonien_bio():
    defs, body = underwater("#3f8fa8", "#0c2d3a", "#9f9070", 300)
    body += place(dunkleosteus(), 300, 170, 1.1)
    fish = path("M0,0 C16,-10 40,-9 56,0 C40,9 16,10 0,0 Z M0,0 L-14,-8 L-11,0 L-14,8 Z", "#c0c8a0", "#4a5a3a", 1.5) + circle(46, -2, 2, "#111")
    for x, y, s in ((520, 110, 0.9), (560, 150, 0.7), (590, 90, 0.6), (540, 190, 0.55)):
        body += place(fish, x, y, s)
    for x in (60, 120, 470):
        body += g(path("M0,0 C-10,-30 10,-60 0,-90", stroke="#5a8a4a", sw=6), "translate(%g,305)" % x)
    return doc(body, defs)


def devonien_paleo():
    defs, body = slab("#d2c3a0", "#a08e68", seed=24, spots=25)
    shell = path("M-230,0 L230,0 C200,60 100,120 0,130 C-100,120 -200,60 -230,0 Z", "#c9b58a", "#6a5534", 3)
    def margin(t):  # the right half of the margin, from the hinge end (t = 0) to the middle (t = 1)
        p0, p1, p2, p3 = (230, 0), (200, 60), (100, 120), (0, 130)
        return tuple((1 - t) ** 3 * a + 3 * (1 - t) ** 2 * t * b + 3 * (1 - t) * t * t * c + t ** 3 * d
                     for a, b, c, d in zip(p0, p1, p2, p3))
    for k in range(1, 16):
        x, y = margin(k / 15)
        for side in (1, -1):
            shell += path("M0,-2 Q%g,%g %g,%g" % (side * x * 0.45, y * 0.25, side * x, y), stroke="#7a6540", sw=2)
    shell += path("M-26,0 C-24,60 -18,100 0,128 C18,100 24,60 26,0 Z", "#b8a275", "#6a5534", 2)
    shell += path("M-20,0 C-10,-18 10,-18 20,0 Z", "#a89060", "#6a5534", 2)
    body += place(shell, 316, 110, 1)
    body += scale_bar(490, 330, 60, "2 cm", "#222")
    return doc(body, defs)


# --- Carboniferous ---------------------------------------------------------------------------

def lepidodendron(x, base, h, w=18):
    s = rect("#5a4a32", x - w / 2, base - h, w, h)
    for yy in range(int(base - h), int(base), 12):
        s += path("M%g,%g l%g,6 M%g,%g l%g,6" % (x - w / 2, yy, w, x - w / 2, yy + 6, w), stroke="#3a2e1e", sw=1)
    top = base - h

    def branch(px, py, a, l, d):
        out = ""
        ex, ey = px + l * math.sin(math.radians(a)), py - l * math.cos(math.radians(a))
        out += path("M%g,%g L%g,%g" % (px, py, ex, ey), stroke="#4a3e2a", sw=max(2, d * 2.5))
        if d == 0:
            out += ellipse(ex, ey, 16, 8, "#4a7a2a", "#2a4a1a", 1, 'transform="rotate(%g %g %g)"' % (a - 90, ex, ey))
        else:
            out += branch(ex, ey, a - 28, l * 0.75, d - 1) + branch(ex, ey, a + 28, l * 0.75, d - 1)
        return out
    s += branch(x, top, -20, 30, 3) + branch(x, top, 20, 30, 3)
    return s


def calamites(x, base, h):
    s = path("M%g,%g L%g,%g" % (x, base, x, base - h), stroke="#6a7a3a", sw=7)
    for yy in range(int(base - h), int(base), 22):
        s += path("M%g,%g h10" % (x - 5, yy), stroke="#3a4a1a", sw=2)
        for k in range(-3, 4):
            s += path("M%g,%g l%g,%g" % (x, yy, k * 7, -10 - abs(k) * 2), stroke="#4a7a2a", sw=1.5)
    return s


def tree_fern(x, base, h):
    s = path("M%g,%g L%g,%g" % (x, base, x + 4, base - h), stroke="#4a3a22", sw=8)
    for a in range(-70, 80, 20):
        ex, ey = x + 4 + 70 * math.sin(math.radians(a)), base - h - 30 * math.cos(math.radians(a)) + abs(a) * 0.6
        s += path("M%g,%g Q%g,%g %g,%g" % (x + 4, base - h, (x + 4 + ex) / 2, base - h - 30, ex, ey), stroke="#3f7a2a", sw=4)
    return s


def meganeura():
    s = ""
    for side in (1, -1):
        for dy, l in ((-10, 120), (10, 110)):
            s += ellipse(side * l / 2, dy, l / 2, 12, "#dfeef4", "#6a8a9a", 1.5, 'opacity="0.75" transform="rotate(%d %g %g)"' % (side * (dy / 2), side * l / 2, dy))
    s += path("M0,-30 L0,110", stroke="#3a4a2a", sw=6, extra='stroke-linecap="round"')
    s += rect("#4a5a2a", -7, -26, 14, 40, 'rx="5"')
    s += circle(-6, -34, 7, "#2a3a4a") + circle(6, -34, 7, "#2a3a4a")
    return s


def carbonifere_bio():
    defs, body = sky("#a9c2a0", "#dfe6cf", 270)
    defs += lin("swamp", [(0, "#4d5a3a"), (1, "#283020")])
    body += rect("#90a888", 0, 150, W, 100, 'opacity="0.6"')
    for x, h in ((60, 170), (250, 190), (470, 180), (600, 160)):
        body += lepidodendron(x, 270, h, 16)
    body += calamites(150, 270, 150) + calamites(370, 270, 170) + calamites(540, 270, 120)
    body += tree_fern(310, 270, 90) + tree_fern(20, 270, 70)
    body += rect("url(#swamp)", 0, 262, W, 90)
    body += path(wave_line(270, 1.5, 60), stroke="#8a9a7a", sw=1.5, extra='opacity="0.6"')
    body += place(meganeura(), 430, 95, 0.8, 80)
    return doc(body, defs)


def carbonifere_paleo():
    defs, body = slab("#5a5650", "#34312d", seed=25, spots=0)
    defs += '<clipPath id="sc"><rect x="14" y="14" width="604" height="324" rx="26"/></clipPath>'
    inner = ""
    for i in range(-3, 16):
        for j in range(-2, 10):
            cx, cy = i * 46 + (j % 2) * 23, j * 44
            inner += poly([(cx, cy - 24), (cx + 18, cy), (cx, cy + 24), (cx - 18, cy)], "#6f6a62", "#24211e", 2.5)
            inner += ellipse(cx, cy - 5, 4, 3, "#2e2b27")
            inner += path("M%g,%g L%g,%g" % (cx, cy + 2, cx, cy + 18), stroke="#3a3631", sw=1.5)
    body += '<g clip-path="url(#sc)"><g transform="rotate(-8 316 176)">%s</g></g>' % inner
    body += scale_bar(490, 330, 60, "2 cm", "#eee")
    return doc(body, defs)


# --- Permian ---------------------------------------------------------------------------------

def dimetrodon():
    s = path("M-70,-18 Q-10,-150 70,-16 Z", "#c0603a", "#5a2a18", 2)
    for k in range(12):
        x = -60 + k * 11
        top = -18 - 120 * math.sin(math.pi * (k + 0.5) / 12) ** 1.2 * 0.95
        s += path("M%g,-18 L%g,%g" % (x, x + 2, top), stroke="#5a2a18", sw=2)
    s += path("M-120,0 C-100,-22 -40,-26 20,-24 C60,-22 80,-20 100,-18 C120,-30 160,-32 178,-16 C184,-8 178,4 160,6 C140,8 120,6 104,4 C80,18 30,22 -20,20 C-60,18 -100,14 -120,0 Z", "#a86a48", "#4a2a18", 2)
    s += path("M-118,-2 C-160,4 -210,14 -260,30 C-210,20 -160,16 -116,12 Z", "#a86a48", "#4a2a18", 2)
    s += path("M160,2 L178,-2 M150,4 l3,5 M142,4 l3,5 M134,4 l3,5", stroke="#f0e6d0", sw=2)
    s += circle(150, -18, 4, "#111")
    for x, d in ((70, 1), (-70, 1), (60, -1), (-80, -1)):
        c = "#8a5236" if d < 0 else "#a86a48"
        s += path("M%g,10 L%g,34 L%g,44 L%g,44" % (x, x + 16, x + 10, x + 24), stroke=c, sw=9, extra='stroke-linecap="round" stroke-linejoin="round"')
    return s


def walchia(x, base, h):
    s = path("M%g,%g L%g,%g" % (x, base, x, base - h), stroke="#4a3522", sw=5)
    for k in range(8):
        y = base - h * 0.3 - k * h * 0.09
        l = 40 - k * 4
        for side in (1, -1):
            s += path("M%g,%g q%g,4 %g,10" % (x, y, side * l * 0.6, side * l), stroke="#3f5a2a", sw=5, extra='stroke-linecap="round"')
    return s


def permien_bio():
    defs, body = land("#e8b878", "#f6e2b6", "#c0703e", "#8a4a28", 200, "#b8784a")
    body += walchia(80, 230, 150) + walchia(560, 220, 130) + walchia(610, 230, 100)
    for x, y in ((200, 300), (460, 320), (350, 240)):
        body += ellipse(x, y, 30, 10, "#9a5a34", extra='opacity="0.7"')
    body += place(dimetrodon(), 330, 270, 1.0)
    return doc(body, defs)


def glossopteris_leaf(l, w):
    s = path("M0,0 C%g,%g %g,%g 0,%g C%g,%g %g,%g 0,0 Z" % (w, -l * 0.2, w * 0.9, -l * 0.9, -l, -w * 0.9, -l * 0.9, -w, -l * 0.2),
             "#4f4a3a", "#2a271f", 2)
    s += path("M0,0 L0,%g" % (-l * 0.95), stroke="#2a271f", sw=2.5)
    for k in range(1, 16):
        y = -k * l / 16
        ww = w * 0.85 * math.sin(math.pi * min(0.95, k / 16 + 0.05))
        for side in (1, -1):
            s += path("M0,%g Q%g,%g %g,%g" % (y, side * ww * 0.5, y - 10, side * ww, y - 22), stroke="#2a271f", sw=1)
            s += path("M%g,%g L%g,%g" % (side * ww * 0.4, y - 6, side * ww * 0.7, y - 3), stroke="#2a271f", sw=0.8)
    return s


def permien_paleo():
    defs, body = slab("#8a8070", "#5e5648", seed=26, spots=20)
    body += place(glossopteris_leaf(270, 60), 250, 320, 1, 12)
    body += place(glossopteris_leaf(200, 45), 420, 330, 1, -25)
    body += place(glossopteris_leaf(150, 36), 540, 250, 1, 30)
    body += scale_bar(470, 330, 70, "2 cm", "#eee")
    return doc(body, defs)


# --- Triassic --------------------------------------------------------------------------------

def coelophysis(c="#7a8a4a", line="#34401e"):
    s = path("M-40,-10 L-30,30 L-44,70 L-28,72", stroke="#5a6a34", sw=9, extra='stroke-linecap="round" stroke-linejoin="round"')
    s += path("M-240,-40 C-170,-44 -90,-52 -40,-54 C-10,-56 10,-62 26,-84 C36,-104 48,-124 72,-128 L118,-124 C122,-118 118,-112 106,-112 L82,-108 C68,-102 58,-80 50,-62 C40,-38 26,-24 -6,-16 C-40,-10 -120,-28 -240,-40 Z", c, line, 2)
    s += path("M-30,-30 L-14,14 L-32,56 L-14,58", stroke=c, sw=12, extra='stroke-linecap="round" stroke-linejoin="round"')
    s += path("M30,-64 l14,16 l10,-2", stroke=line, sw=3)
    s += circle(80, -121, 3, "#111")
    s += path("M86,-113 L116,-116", stroke=line, sw=1.5)
    for k in range(8):
        s += path("M%g,-50 l6,-5" % (-150 + k * 20), stroke=line, sw=2)
    return s


def cycad(x, base, s=1.0):
    out = ellipse(x, base - 18 * s, 14 * s, 20 * s, "#6a5030")
    for a in range(-80, 90, 20):
        ex, ey = x + 70 * s * math.sin(math.radians(a)), base - 30 * s - 50 * s * math.cos(math.radians(a))
        out += path("M%g,%g Q%g,%g %g,%g" % (x, base - 34 * s, (x + ex) / 2, base - 70 * s, ex, ey), stroke="#4a7a2a", sw=5 * s)
    return out


def trias_bio():
    defs, body = land("#7fb5dc", "#f0e6cc", "#c89a62", "#9a6a3a", 200, "#a9866a")
    body += walchia(70, 220, 140) + walchia(540, 215, 150) + walchia(600, 225, 110)
    body += cycad(150, 250) + cycad(470, 260, 0.8)
    body += place(coelophysis(), 330, 260, 1.05)
    body += place(coelophysis("#8a7a4a", "#3a3420"), 520, 300, 0.55)
    return doc(body, defs)


def ammonite(r, turns=3.2, ribs=60, colour="#b8a27a", line="#5a4a2a", evolute=0.62, nodes=False, sutures=False):
    """A coiled shell seen from the side: a spiral tube whose radius shrinks by `evolute` each turn."""
    def rr(theta):
        return r * evolute ** (theta / (2 * math.pi))

    s = circle(0, 0, r, colour, line, 2.5)
    n = int(turns * ribs)
    for k in range(n):
        th = k * 2 * math.pi / ribs
        r1, r0 = rr(th), rr(th + 2 * math.pi)
        w = r1 - r0
        x1, y1 = r1 * math.cos(-th), r1 * math.sin(-th)
        x0, y0 = r0 * math.cos(-th), r0 * math.sin(-th)
        mx, my = (r0 + w * 0.5) * math.cos(-th - 0.06), (r0 + w * 0.5) * math.sin(-th - 0.06)
        s += path("M%.1f,%.1f Q%.1f,%.1f %.1f,%.1f" % (x0, y0, mx, my, x1, y1), stroke=line, sw=max(0.8, w / 22))
        if nodes and k % 2 == 0:
            nx, ny = (r0 + w * 0.3) * math.cos(-th), (r0 + w * 0.3) * math.sin(-th)
            s += circle(nx, ny, max(1.5, w * 0.09), line)
    pts = [(rr(t / 40 * 2 * math.pi) * math.cos(-t / 40 * 2 * math.pi), rr(t / 40 * 2 * math.pi) * math.sin(-t / 40 * 2 * math.pi))
           for t in range(int(turns * 40) + 1)]
    s += path("M" + " L".join("%.1f,%.1f" % p for p in pts), stroke=line, sw=2.5)
    if sutures:
        for k in range(0, 360, 40):
            th = math.radians(k)
            r1, r0 = rr(th), rr(th + 2 * math.pi)
            d = []
            for j in range(13):
                rad_ = r0 + (r1 - r0) * j / 12
                wob = (0.05 if j % 4 == 1 else -0.035 if j % 4 == 3 else 0) * (1 + (j % 2) * 0.3)
                d.append((rad_ * math.cos(-th + wob), rad_ * math.sin(-th + wob)))
            s += path("M" + " L".join("%.1f,%.1f" % p for p in d), stroke="#3a2a12", sw=1.6, extra='opacity="0.8"')
    s += circle(0, 0, rr(turns * 2 * math.pi), "#6a5a3a", line, 1.5)
    return s


def trias_paleo():
    defs, body = slab("#cdbf9e", "#9c8c6a", seed=27, spots=20)
    body += place(ammonite(140, 3.0, 30, "#c2ab7c", "#5a4626", 0.5, nodes=True, sutures=True), 316, 176, 1)
    body += scale_bar(500, 330, 60, "2 cm", "#222")
    return doc(body, defs)


# --- Jurassic --------------------------------------------------------------------------------

def diplodocus(c="#7a7a6a", line="#3a3a30"):
    s = ""
    for x, dark in ((-50, True), (50, True)):
        s += rect("#5a5a4c", x + 14, -40, 22, 82, 'rx="8"')
    s += path("M-90,-70 C-180,-60 -300,-30 -380,-4 C-290,-44 -180,-40 -80,-30 Z", c, line, 2)
    s += path("M70,-90 C130,-110 190,-140 240,-170 L256,-162 C200,-120 140,-80 80,-50 Z", c, line, 2)
    s += ellipse(0, -65, 100, 50, c, line, 2)
    s += path("M246,-172 C256,-180 276,-176 280,-166 C276,-160 262,-158 248,-160 Z", c, line, 2)
    s += circle(262, -170, 2.5, "#111")
    for x in (-60, 40):
        s += rect(c, x, -40, 24, 84, 'rx="8" stroke="%s" stroke-width="2"' % line)
    return s


def stegosaurus(c="#8a7a4a", line="#3a3220"):
    s = path("M-60,-20 L-56,40 M80,-10 L82,40", stroke="#6a5a34", sw=14, extra='stroke-linecap="round"')
    s += path("M-110,-30 C-160,-26 -190,-20 -220,-12 L-110,-10 Z", c, line, 2)
    for dx, a in ((-214, -50), (-206, -30)):
        s += path("M%g,-14 l%g,%g" % (dx, 30 * math.cos(math.radians(a + 180)), 30 * math.sin(math.radians(a + 180)) - 10), stroke="#e8dcc0", sw=4)
        s += path("M%g,-12 l%g,-28" % (dx + 6, 18), stroke="#e8dcc0", sw=4)
    for k in range(9):
        t = k / 8
        x = -110 + 200 * t
        y = -20 - 80 * math.sin(math.pi * (0.1 + 0.8 * t))
        hsz = 26 + 18 * math.sin(math.pi * t)
        s += poly([(x - 14, y + 10), (x - 6, y - hsz), (x + 10, y - hsz * 0.8), (x + 16, y + 10)], "#b8602a", line, 1.5)
    s += path("M-110,-20 C-80,-100 40,-110 90,-40 C110,-28 130,-16 150,-14 L158,-6 C140,-2 110,-4 90,-4 C50,4 -60,6 -110,-20 Z", c, line, 2)
    s += circle(148, -12, 2.5, "#111")
    s += path("M-40,-10 L-36,44 M60,-6 L62,44", stroke=c, sw=16, extra='stroke-linecap="round"')
    return s


def fern(x, base, l, a):
    s = path("M%g,%g q%g,%g %g,%g" % (x, base, l * 0.3 * math.sin(math.radians(a)), -l * 0.6, l * math.sin(math.radians(a)), -l * math.cos(math.radians(a))),
             stroke="#3f7a2a", sw=3)
    return s


def jurassique_bio():
    defs, body = land("#6fa8d8", "#e4eef0", "#7a9a4a", "#4a6a2a", 210, "#8aa09a")
    body += walchia(40, 230, 170) + walchia(600, 225, 180) + walchia(110, 225, 120)
    for x in range(0, 640, 40):
        for a in (-40, -10, 20, 45):
            body += fern(x + 10, 352, 50, a)
    body += place(diplodocus(), 230, 250, 0.7)
    body += place(stegosaurus(), 470, 290, 0.8)
    return doc(body, defs)


def jurassique_paleo():
    defs, body = slab("#a9a49a", "#77726a", seed=28, spots=20, spot="#5f5a52")
    body += place(ammonite(145, 5.5, 56, "#8f8a80", "#3f3b35", 0.7), 316, 176, 1)
    body += scale_bar(500, 330, 60, "2 cm", "#111")
    return doc(body, defs)


# --- Cretaceous ------------------------------------------------------------------------------

def trex(c="#6a6a4a", line="#2a2a1a"):
    s = path("M-40,-80 L-10,-10 L-30,0 L0,2", stroke="#4a4a32", sw=16, extra='stroke-linecap="round" stroke-linejoin="round"')
    s += path("M-260,-90 C-180,-110 -100,-130 -40,-138 C0,-142 40,-140 70,-150 L90,-172 C120,-182 170,-178 186,-160 L190,-140 L150,-134 L188,-128 C186,-116 170,-110 150,-112 L110,-116 C90,-108 70,-96 40,-90 C0,-82 -60,-70 -90,-74 C-150,-80 -200,-84 -260,-90 Z", c, line, 2)
    s += path("M-60,-100 L-30,-20 L-54,0 L-20,2", stroke=c, sw=22, extra='stroke-linecap="round" stroke-linejoin="round"')
    s += path("M60,-104 l12,14 l8,-2", stroke=line, sw=4)
    s += circle(138, -160, 4, "#111")
    s += path("M150,-134 L186,-136", stroke=line, sw=1.5)
    for k in range(6):
        s += path("M%g,-134 l3,5" % (152 + k * 6), stroke="#f0ead8", sw=1.5)
    return s


def triceratops(c="#8a6a4a", line="#3a2a1a"):
    s = path("M-50,-10 L-50,40 M70,-10 L72,40", stroke="#6a4e34", sw=18, extra='stroke-linecap="round"')
    s += path("M-150,-30 C-180,-26 -200,-20 -220,-10 L-140,-6 Z", c, line, 2)
    s += path("M-150,-30 C-140,-90 60,-100 100,-50 C110,-30 100,0 80,6 C20,14 -80,12 -150,-30 Z", c, line, 2)
    s += path("M90,-60 C80,-130 130,-150 170,-110 C150,-80 130,-60 110,-40 Z", "#b88a5a", line, 2)
    for k in range(7):
        a = math.radians(200 + k * 22)
        s += circle(130 + 45 * math.cos(a), -100 + 45 * math.sin(a), 4, "#e8d8b0")
    s += path("M110,-60 C140,-70 170,-50 190,-30 L176,-16 C150,-20 120,-20 100,-30 Z", c, line, 2)
    s += path("M140,-70 L230,-110 L150,-58 Z M150,-62 L236,-92 L158,-52 Z", "#efe6cc", line, 1.5)
    s += path("M176,-38 L192,-60 L186,-34 Z", "#efe6cc", line, 1.5)
    s += path("M190,-30 L200,-22 L178,-14 Z", "#4a3a2a")
    s += circle(150, -50, 3, "#111")
    s += path("M-40,-10 L-38,44 M80,-6 L84,44", stroke=c, sw=20, extra='stroke-linecap="round"')
    return s


def magnolia(x, base, h):
    s = path("M%g,%g L%g,%g" % (x, base, x, base - h), stroke="#5a4632", sw=10)
    rnd = random.Random(int(x))
    for _ in range(9):
        cx, cy = x + rnd.uniform(-60, 60), base - h - rnd.uniform(-30, 40)
        s += ellipse(cx, cy, 38, 26, "#3f6a2a", extra='opacity="0.95"')
    for _ in range(10):
        cx, cy = x + rnd.uniform(-70, 70), base - h - rnd.uniform(-35, 45)
        for k in range(6):
            s += ellipse(cx, cy - 6, 4, 9, "#f6e8f0", "#c89ab0", 1, 'transform="rotate(%d %g %g)"' % (k * 60, cx, cy))
        s += circle(cx, cy, 3, "#e8c040")
    return s


def cretace_bio():
    defs, body = land("#78aee0", "#eef2ea", "#8aa04a", "#5a7030", 200, "#9aa8a0")
    body += magnolia(70, 250, 150) + magnolia(590, 240, 130)
    body += place(trex(), 200, 300, 0.8)
    body += mirror(triceratops(), 510, 300, 0.8)
    return doc(body, defs)


def cretace_paleo():
    defs, body = slab("#eeebe2", "#c2beb2", seed=29, spots=12, spot="#a8a49a")
    test = path("M0,-150 C-40,-150 -70,-172 -110,-160 C-170,-140 -190,-60 -170,20 C-150,100 -80,150 0,150 C80,150 150,100 170,20 C190,-60 170,-140 110,-160 C70,-172 40,-150 0,-150 Z",
                "#d9d3c2", "#7a7462", 3)
    test += path("M0,-150 L0,-30", stroke="#8a846f", sw=10, extra='stroke-linecap="round" opacity="0.6"')
    for a, l in ((-62, 120), (62, 120), (-140, 110), (140, 110)):
        petal = ""
        for side in (1, -1):
            petal += path("M0,0 Q%g,%g 0,%g" % (side * 22, -l * 0.5, -l), stroke="#6a6452", sw=1.5)
            for k in range(1, 14):
                t = k / 14
                x = side * 22 * 2 * t * (1 - t)
                petal += circle(x * 0.9, -l * t, 1.6, "#6a6452") + circle(x * 0.6, -l * t, 1.2, "#6a6452")
        test += g(petal, "rotate(%g)" % a)
    for k in range(1, 12):
        test += circle(0, -30 - k * 9, 1.4, "#6a6452")
    test += circle(0, -30, 10, "#a49e88", "#6a6452", 1.5)
    for k in range(60):
        a = k * 137.5
        rr = 10 * math.sqrt(k) + 20
        if rr < 150:
            test += circle(rr * math.cos(math.radians(a)), rr * math.sin(math.radians(a)) * 0.95, 1.8, "#b8b29e")
    body += place(test, 316, 180, 1)
    body += scale_bar(500, 330, 60, "2 cm", "#222")
    return doc(body, defs)


# --- Paleogene -------------------------------------------------------------------------------

def gastornis():
    s = path("M-10,20 L-16,100 L-30,104 M-16,100 L0,104 M20,20 L24,100 L10,104 M24,100 L40,104", stroke="#7a6a3a", sw=10,
             extra='stroke-linecap="round" stroke-linejoin="round"')
    s += ellipse(0, 0, 70, 48, "#5a4a3a", "#2a2018", 2)
    s += path("M-70,-10 C-90,-20 -100,-10 -96,10 C-86,0 -78,2 -70,6 Z", "#4a3a2a")
    s += path("M40,-20 C50,-60 50,-90 60,-110 L90,-112 C86,-80 80,-50 70,-16 Z", "#5a4a3a", "#2a2018", 2)
    s += path("M56,-132 C70,-150 100,-148 110,-130 C130,-128 150,-118 150,-104 C140,-94 110,-92 90,-96 C70,-98 56,-110 56,-132 Z", "#c8a040", "#5a4018", 2)
    s += path("M56,-132 C60,-148 78,-150 90,-140 L92,-118 L62,-110 Z", "#6a5a4a", "#2a2018", 1.5)
    s += circle(80, -132, 4, "#111") + path("M100,-112 L148,-108", stroke="#5a4018", sw=1.5)
    return s


def horse(c="#8a6a48", line="#3a2a18", stripes=False, s=1.0):
    out = path("M-50,0 L-52,60 M-34,4 L-30,60 M40,0 L42,60 M54,0 L58,60", stroke=c, sw=8, extra='stroke-linecap="round"')
    out += ellipse(0, -8, 66, 26, c, line, 2)
    out += path("M40,-26 C54,-54 64,-70 76,-80 L100,-66 C92,-52 82,-28 66,-2 Z", c, line, 2)
    out += path("M74,-84 C88,-92 120,-66 132,-48 C130,-38 118,-38 108,-44 L86,-58 Z", c, line, 2)
    out += path("M80,-78 l-4,-12 l8,8 Z", c, line, 1)
    out += circle(94, -66, 2.5, "#111")
    out += path("M-64,-14 C-80,-4 -84,20 -78,36", stroke="#4a3422", sw=6, extra='stroke-linecap="round"')
    out += path("M46,-30 C58,-56 66,-72 76,-82", stroke="#4a3422", sw=6)
    if stripes:
        for k in range(6):
            out += path("M%g,-30 q4,20 0,40" % (-40 + k * 14), stroke="#e8dcc0", sw=2, extra='opacity="0.5"')
    return g(out, "scale(%g)" % s)


def palm(x, base, h, lean=10):
    s = path("M%g,%g Q%g,%g %g,%g" % (x, base, x + lean, base - h / 2, x + lean * 1.5, base - h), stroke="#6a5032", sw=9)
    tx, ty = x + lean * 1.5, base - h
    for a in range(-160, 20, 28):
        ex, ey = tx + 70 * math.cos(math.radians(a)), ty + 70 * math.sin(math.radians(a)) + 30
        s += path("M%g,%g Q%g,%g %g,%g" % (tx, ty, (tx + ex) / 2, ty - 25, ex, ey), stroke="#3f7a2a", sw=7, extra='stroke-linecap="round"')
    return s


def paleogene_bio():
    defs, body = land("#8ab8d0", "#e8efe0", "#5f8a3a", "#3a5a22", 215, "#7a9a7a")
    body += palm(60, 250, 180, 12) + palm(570, 240, 170, -14) + palm(500, 250, 120, 8)
    for x in range(0, 640, 70):
        body += ellipse(x, 232, 50, 24, "#4a7a32", extra='opacity="0.9"')
    body += place(gastornis(), 250, 230, 1.0)
    body += place(horse("#7a5a3a", "#3a2818"), 450, 282, 0.55)
    body += place(horse("#8a6a48", "#3a2818"), 380, 300, 0.45)
    return doc(body, defs)


def nummulite(r, split=False):
    if not split:
        return (ellipse(0, 0, r, r, "#d9c9a2", "#7a6a48", 2) + ellipse(0, 0, r * 0.7, r * 0.7, "none", "#a89670", 1)
                + ellipse(-r * 0.3, -r * 0.3, r * 0.3, r * 0.2, "#fff", extra='opacity="0.25"'))
    s = circle(0, 0, r, "#d2bf92", "#6a5a38", 2)
    pts = []
    for k in range(240):
        a = k / 240 * 8 * math.pi
        rr = r * (0.08 + 0.9 * k / 240)
        pts.append((rr * math.cos(a), rr * math.sin(a)))
    s += path("M" + " L".join("%.1f,%.1f" % p for p in pts), stroke="#6a5a38", sw=1.5)
    for k in range(30, 240, 4):
        a = k / 240 * 8 * math.pi
        r1 = r * (0.08 + 0.9 * k / 240)
        r0 = r * (0.08 + 0.9 * (k - 30) / 240)
        s += path("M%g,%g L%g,%g" % (r0 * math.cos(a), r0 * math.sin(a), r1 * math.cos(a), r1 * math.sin(a)), stroke="#8a7a58", sw=1)
    return s


def paleogene_paleo():
    defs, body = slab("#e3d6b6", "#b6a47c", seed=30, spots=10)
    rnd = random.Random(30)
    for _ in range(26):
        x, y, r = rnd.uniform(50, 580), rnd.uniform(45, 310), rnd.uniform(14, 30)
        body += place(nummulite(r), x, y, 1, rnd.uniform(0, 90))
    body += place(nummulite(80, True), 200, 176) + place(nummulite(62, True), 450, 200)
    body += scale_bar(500, 330, 60, "1 cm", "#222")
    return doc(body, defs)


# --- Neogene ---------------------------------------------------------------------------------

def acacia(x, base, h, w):
    s = path("M%g,%g L%g,%g L%g,%g M%g,%g L%g,%g" % (x, base, x, base - h * 0.5, x - w * 0.3, base - h, x, base - h * 0.5, x + w * 0.3, base - h),
             stroke="#4a3a28", sw=6)
    s += ellipse(x, base - h - 6, w / 2, 16, "#5a7a32")
    s += ellipse(x - w * 0.2, base - h - 14, w * 0.3, 12, "#6a8a3a")
    return s


def neogene_bio():
    defs, body = land("#9cc6e6", "#f4ecd0", "#d8c06a", "#a88c3a", 200, "#a8a28a")
    body += acacia(130, 220, 90, 170) + acacia(530, 210, 70, 130)
    rnd = random.Random(40)
    for _ in range(140):
        x, y = rnd.uniform(0, W), rnd.uniform(215, 352)
        body += path("M%g,%g l%g,-%g" % (x, y, rnd.uniform(-4, 4), rnd.uniform(6, 14)), stroke="#9a7e30", sw=1.5)
    body += place(horse("#a87a4a", "#4a3018"), 300, 280, 0.75) + place(horse("#b88a5a", "#4a3018"), 430, 300, 0.65)
    body += mirror(horse("#9a6e42", "#4a3018"), 200, 300, 0.6)
    return doc(body, defs)


def neogene_paleo():
    defs, body = slab("#cfc7b6", "#a39a86", seed=31, spots=10)
    tooth = path("M-120,60 C-100,0 -40,-140 0,-190 C40,-140 100,0 120,60 Z", "#5e6670", "#22262a", 3)
    for k in range(40):
        t = k / 40
        for side in (1, -1):
            x = side * (120 - 120 * t)
            y = 60 - 250 * t
            tooth += path("M%g,%g l%g,-2" % (x, y, side * 3), stroke="#22262a", sw=1.5)
    tooth += path("M-110,40 C-40,20 40,20 110,40 L112,56 C40,36 -40,36 -112,56 Z", "#3a3026")
    tooth += path("M-120,60 C-60,50 60,50 120,60 C110,100 60,110 0,96 C-60,110 -110,100 -120,60 Z", "#a88a62", "#4a3a22", 2)
    tooth += path("M-60,-60 C-30,-120 -10,-160 0,-180", stroke="#8a949e", sw=6, extra='opacity="0.5" stroke-linecap="round"')
    body += place(tooth, 280, 210, 0.62)
    ruler = rect("#f2eee2", 0, 0, 40, 200, 'stroke="#555" stroke-width="1"')
    for k in range(21):
        ruler += path("M0,%g h%g" % (k * 10, 14 if k % 5 == 0 else 8), stroke="#222", sw=1)
    for k in range(0, 21, 5):
        ruler += text(18, k * 10 + 4, "%d" % (k // 1), 10, "#222") if k else ""
    body += place(ruler, 470, 60)
    body += text(530, 270, "cm", 13, "#222")
    return doc(body, defs)


# --- Quaternary ------------------------------------------------------------------------------

def mammoth(c="#6a4a30", line="#2a1a10"):
    s = path("M-60,0 L-62,70 M-30,4 L-28,70 M50,0 L52,70 M80,-4 L82,66", stroke="#4a3220", sw=22, extra='stroke-linecap="round"')
    s += path("M-110,10 C-130,-50 -100,-110 -30,-118 C10,-124 50,-150 90,-150 C130,-150 150,-120 146,-90 C144,-60 130,-30 110,-10 C60,20 -60,30 -110,10 Z", c, line, 2)
    s += path("M140,-90 C160,-60 162,-20 150,20 C146,30 138,30 136,22 C144,-10 140,-50 122,-70 Z", c, line, 2)
    s += path("M130,-60 C170,-30 200,-40 200,-90", stroke="#efe4c8", sw=9, extra='stroke-linecap="round"')
    s += circle(116, -104, 4, "#111")
    s += path("M70,-120 C60,-100 66,-80 80,-70", stroke=line, sw=2)
    rnd = random.Random(2)
    fringe = "M-110,10"
    for k in range(22):
        fringe += " L%g,%g L%g,%g" % (-110 + k * 10 + 5, 30 + rnd.uniform(0, 12), -100 + k * 10, 14)
    s += path(fringe, c, line, 1)
    s += path("M-60,4 L-58,70 M60,0 L62,70", stroke=c, sw=24, extra='stroke-linecap="round"')
    s += path("M-110,10 C-116,30 -112,50 -104,56", stroke=line, sw=4)
    for k in range(14):
        x = -90 + k * 15
        s += path("M%g,-90 q4,20 0,40" % x, stroke=line, sw=1, extra='opacity="0.4"')
    return s


def quaternaire_bio():
    defs, body = land("#a8c4dc", "#eef2f4", "#b8b07a", "#8a8050", 200, "#e8eef4")
    body += poly([(380, 200), (470, 120), (520, 140), (600, 110), (632, 130), (632, 200)], "#f4f8fb", "#c8d4de", 2)
    rnd = random.Random(50)
    for _ in range(120):
        x, y = rnd.uniform(0, W), rnd.uniform(210, 352)
        body += path("M%g,%g l%g,-%g" % (x, y, rnd.uniform(-3, 3), rnd.uniform(5, 12)), stroke="#7a7040", sw=1.5)
    body += place(mammoth(), 260, 270, 0.8)
    body += place(mammoth("#5a3a24", "#2a1a10"), 470, 250, 0.5)
    return doc(body, defs)


def quaternaire_paleo():
    defs, body = rect("#2f2f33"), ""
    defs = rad("bg", [(0, "#4a4a50"), (1, "#1f1f22")])
    body = rect("url(#bg)")
    skull = path("M-200,-20 C-200,-80 -120,-120 -20,-118 C60,-116 120,-90 160,-60 C190,-40 210,-20 214,0 L200,10 C150,6 100,10 60,20 C0,30 -80,34 -140,24 C-180,18 -200,4 -200,-20 Z",
                 "#e8dcc0", "#6a5a40", 3)
    skull += ellipse(70, -50, 34, 28, "#3a3226", "#6a5a40", 2)
    skull += path("M-10,-10 C20,-30 60,-20 90,-6 C60,4 20,8 -10,-10 Z", "#c8bca0", "#6a5a40", 2)
    skull += path("M150,-2 C160,60 150,120 128,170 C124,150 124,120 126,80 C128,40 132,16 136,6 Z", "#f2ead6", "#6a5a40", 2.5)
    skull += path("M186,4 l4,18 l6,-16 Z M170,6 l2,14 l6,-12 Z", "#f2ead6", "#6a5a40", 1.5)
    skull += path("M-110,60 C-40,70 60,64 150,40 L160,54 C80,90 -40,100 -118,84 Z", "#e0d2b2", "#6a5a40", 2.5)
    skull += path("M-118,84 C-140,70 -136,50 -110,60", "#e0d2b2", "#6a5a40", 2.5)
    skull += path("M130,46 l4,-12 l6,10 M110,52 l4,-10 l6,8", stroke="#6a5a40", sw=1.5)
    skull += path("M-160,-60 C-120,-90 -60,-100 0,-96", stroke="#b8ac90", sw=2)
    body += place(skull, 300, 150, 1.05)
    body += scale_bar(460, 330, 80, "10 cm", "#eee")
    return doc(body, defs)


PICTURES = {
    "cambrien_bio": cambrien_bio, "cambrien_paleo": cambrien_paleo,
    "ordovicien_bio": ordovicien_bio, "ordovicien_paleo": ordovicien_paleo,
    "silurien_bio": silurien_bio, "silurien_paleo": silurien_paleo,
    "devonien_bio": devonien_bio, "devonien_paleo": devonien_paleo,
    "carbonifere_bio": carbonifere_bio, "carbonifere_paleo": carbonifere_paleo,
    "permien_bio": permien_bio, "permien_paleo": permien_paleo,
    "trias_bio": trias_bio, "trias_paleo": trias_paleo,
    "jurassique_bio": jurassique_bio, "jurassique_paleo": jurassique_paleo,
    "cretace_bio": cretace_bio, "cretace_paleo": cretace_paleo,
    "paleogene_bio": paleogene_bio, "paleogene_paleo": paleogene_paleo,
    "neogene_bio": neogene_bio, "neogene_paleo": neogene_paleo,
    "quaternaire_bio": quaternaire_bio, "quaternaire_paleo": quaternaire_paleo,
}
