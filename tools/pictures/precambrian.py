"""Pictures of the Hadean, the Archean and the Proterozoic periods."""

import math
import random

from common import (H, W, circle, doc, ellipse, g, lin, microscope, path, poly, rad, rect, scale_bar,
                    sky, slab, stars, text, wave_line)


def hadeen_bio():
    defs, body = sky("#1a0604", "#b3341a", 230)
    defs += rad("moon", [(0, "#d9d2c6"), (1, "#7d756b")], cx=0.4, cy=0.35, r=0.6)
    defs += lin("lava", [(0, "#ff9a1f"), (0.4, "#d13a0c"), (1, "#3b0d05")])
    body += stars(40, 3, 120)
    body += circle(470, 95, 78, "url(#moon)")
    rnd = random.Random(5)
    for _ in range(14):
        x, y, r = rnd.uniform(420, 530), rnd.uniform(45, 150), rnd.uniform(4, 12)
        if (x - 470) ** 2 + (y - 95) ** 2 < 68 ** 2:
            body += circle(x, y, r, "#8b8378", extra='opacity="0.7"')
    for x, y in ((90, 30), (200, 60), (330, 20)):
        body += path("M%g,%g l60,70" % (x, y), stroke="#ffd27a", sw=3, extra='stroke-linecap="round" opacity="0.8"')
        body += circle(x + 60, y + 70, 4, "#fff3c4")
    body += poly([(0, 230), (60, 160), (95, 150), (150, 230)], "#2a0f0a")
    body += poly([(40, 230), (210, 110), (235, 112), (400, 230)], "#3a130c")
    body += path("M214,112 q-20,-40 10,-70 q30,-30 0,-50", stroke="#6b5b55", sw=16, extra='opacity="0.55" stroke-linecap="round"')
    body += path("M222,112 L210,150 L226,190 L214,230", stroke="#ff7a12", sw=5)
    body += rect("url(#lava)", 0, 230, W, 122)
    rnd = random.Random(9)
    for i in range(18):
        x, y = rnd.uniform(0, W), rnd.uniform(245, 345)
        body += path("M%g,%g q25,-8 50,0 t50,3" % (x, y), stroke="#1c0703", sw=rnd.uniform(3, 8), extra='opacity="0.8"')
        body += ellipse(x + 40, y - 10, 20, 4, "#ffd04a", extra='opacity="0.55"')
    return doc(body, defs)


def hadeen_paleo():
    body = rect("#040404")
    defs = ""
    shades = ["#9a9a9a", "#c9c9c9", "#7c7c7c", "#b0b0b0", "#e1e1e1", "#8d8d8d", "#bdbdbd", "#6e6e6e", "#a4a4a4"]
    crystal = ""
    for i, c in enumerate(shades):
        s = 1 - i * 0.085
        crystal += poly([(-200 * s, 0), (-140 * s, -62 * s), (140 * s, -62 * s), (200 * s, 0),
                         (140 * s, 62 * s), (-140 * s, 62 * s)], c)
    crystal += path("M-40,-18 C-20,-34 30,-30 46,-12 C60,6 36,26 6,24 C-30,22 -58,2 -40,-18 Z", "#4d4d4d")
    crystal += path("M-28,-12 C-12,-22 22,-20 32,-8 C40,4 24,16 4,15 C-20,14 -38,0 -28,-12 Z", "#3a3a3a")
    crystal += path("M-120,-40 L-60,30 M80,-55 L110,40", stroke="#111", sw=2)
    for x, y in ((-150, 5), (-60, 35), (40, -40), (130, 10)):
        crystal += circle(x, y, 5, "none", "#fff", 2)
    body += g(crystal, "translate(316,170) rotate(-10)")
    body += scale_bar(460, 320, 100, "50 µm", "#fff")
    body += text(30, 330, "image en cathodoluminescence", 13, "#bbb")
    return doc(body, defs)


def stromatolite(x, y, w, h, fill, line, n=7):
    """A dome of microbial layers rising from the sea floor."""
    s = path("M%g,%g C%g,%g %g,%g %g,%g Z" % (x - w / 2, y, x - w / 2, y - h * 1.3, x + w / 2, y - h * 1.3, x + w / 2, y), fill)
    for i in range(1, n):
        f = i / n
        s += path("M%g,%g C%g,%g %g,%g %g,%g" % (x - w / 2 * (1 - f * 0.15), y - h * f * 0.15,
                                                 x - w / 2 * (1 - f * 0.3), y - h * 1.3 * (1 - f * 0.25),
                                                 x + w / 2 * (1 - f * 0.3), y - h * 1.3 * (1 - f * 0.25),
                                                 x + w / 2 * (1 - f * 0.15), y - h * f * 0.15),
                  stroke=line, sw=1.5, extra='opacity="0.7"')
    return s


def archeen_bio():
    defs, body = sky("#c7692e", "#f0c27a", 170)
    defs += lin("sea", [(0, "#6d7a52"), (1, "#3b4a34")])
    body += circle(120, 70, 30, "#fff1c2", extra='opacity="0.8"')
    body += poly([(380, 170), (450, 105), (470, 102), (560, 170)], "#5d4a3c")
    body += path("M462,102 q-10,-30 20,-50 q25,-20 5,-40", stroke="#8a7c72", sw=14, extra='opacity="0.5" stroke-linecap="round"')
    body += rect("url(#sea)", 0, 170, W, 182)
    for i in range(6):
        body += path(wave_line(185 + i * 14, 2, 60, phase=i), stroke="#9aa57a", sw=1, extra='opacity="0.5"')
    rnd = random.Random(2)
    domes = [(70, 290, 90, 55), (170, 300, 110, 70), (290, 285, 80, 48), (390, 305, 120, 75),
             (510, 290, 95, 58), (590, 310, 70, 40), (240, 330, 70, 35), (460, 335, 60, 30)]
    for x, y, w, h in domes:
        body += stromatolite(x, y, w, h, "#8c7a5a", "#5b4b33")
        body += path("M%g,%g q%g,-6 %g,0" % (x - w / 2, y, w / 2, w), stroke="#d7d2a9", sw=2, extra='opacity="0.6"')
    body += rect("#3a4b35", 0, 320, W, 32, 'opacity="0.5"')
    return doc(body, defs)


def laminae_slab(peaks, seed, layers=26, c_dark="#6b5233", c_light="#d9c39a", cone=False):
    """Polished vertical section through stacked microbial laminae."""
    defs, body = slab("#e0cda6", "#b29a70", seed=seed, spots=0)
    clip = '<clipPath id="sc"><rect x="14" y="14" width="604" height="324" rx="26"/></clipPath>'
    defs += clip
    inner = ""
    for i in reversed(range(layers)):  # the upper layers first, each lower one drawn over them
        y0 = 330 - i * 12
        d = "M0,%g" % (y0 + 20)
        for cx, w, h in peaks:
            hh = h * (0.4 + 0.6 * i / layers)
            if cone:
                d += " L%g,%g L%g,%g L%g,%g" % (cx - w, y0, cx, y0 - hh, cx + w, y0)
            else:
                d += " L%g,%g C%g,%g %g,%g %g,%g" % (cx - w, y0, cx - w * 0.8, y0 - hh, cx + w * 0.8, y0 - hh, cx + w, y0)
        d += " L632,%g L632,360 L0,360 Z" % (y0 + 20)
        inner += path(d, c_dark if i % 2 else c_light, extra='opacity="0.9"')
        inner += path(d, "none", "#4a3720", 0.8, 'opacity="0.4"')
    body += '<g clip-path="url(#sc)">%s</g>' % inner
    return defs, body


def archeen_paleo():
    defs, body = laminae_slab([(110, 100, 70), (300, 110, 95), (500, 105, 80)], 4)
    body += scale_bar(470, 330, 80, "5 cm", "#fff")
    return doc(body, defs)


def siderien_bio():
    defs, body = sky("#9fb7c9", "#e8e0cf", 120)
    defs += lin("rust", [(0, "#7d8f7a"), (0.5, "#8a6a4a"), (1, "#6e3b22")])
    body += rect("url(#rust)", 0, 120, W, 232)
    body += path(wave_line(122, 2, 50), stroke="#c9d6dc", sw=2)
    rnd = random.Random(11)
    for x, y, w, h in ((90, 320, 120, 60), (250, 330, 140, 80), (430, 318, 120, 62), (575, 330, 110, 55)):
        body += stromatolite(x, y, w, h, "#3f6b3a", "#244022")
        for _ in range(10):
            bx, by = x + rnd.uniform(-w / 3, w / 3), y - h - rnd.uniform(5, 170)
            body += circle(bx, by, rnd.uniform(3, 7), "#e8f4f7", "#ffffff", 1, 'opacity="0.75"')
    body += text(255, 160, "O₂", 24, "#ffffff", extra='font-weight="bold"')
    body += text(440, 200, "O₂", 20, "#ffffff", extra='font-weight="bold"')
    for _ in range(120):
        x, y = rnd.uniform(0, W), rnd.uniform(150, 352)
        body += circle(x, y, rnd.uniform(1, 2.4), "#b5501e", extra='opacity="0.8"')
    body += rect("#5a2a14", 0, 335, W, 17)
    body += text(20, 346, "Fe + O₂ → oxydes de fer qui tombent au fond", 12, "#f2d4b5")
    return doc(body, defs)


def siderien_paleo():
    defs, body = slab("#8a2f24", "#5e2019", seed=6, spots=0)
    defs += '<clipPath id="sc"><rect x="14" y="14" width="604" height="324" rx="26"/></clipPath>'
    rnd = random.Random(6)
    inner = ""
    y = 20
    i = 0
    while y < 350:
        hgt = rnd.uniform(6, 20)
        colour = ["#b3392c", "#3b3b40", "#c84a33", "#55565c", "#9c2d24", "#2d2e33"][i % 6]
        inner += path(wave_line(y, rnd.uniform(2, 6), rnd.uniform(150, 300), 0, W, rnd.uniform(0, 6))
                      + " L632,%g L0,%g Z" % (y + hgt + 40, y + hgt + 40), colour)
        y += hgt
        i += 1
    body += '<g clip-path="url(#sc)">%s</g>' % inner
    body += path("M14,40 Q320,60 618,30", stroke="#ffffff", sw=2, extra='opacity="0.15"')
    body += scale_bar(480, 328, 80, "5 cm", "#fff")
    return doc(body, defs)


def rhyacien_bio():
    defs, body = sky("#7f9fb8", "#e6eef3", 150)
    defs += lin("ice", [(0, "#ffffff"), (1, "#c9dbe6")])
    defs += lin("sea", [(0, "#3c5f78"), (1, "#1d3346")])
    body += poly([(0, 150), (0, 95), (120, 80), (260, 92), (330, 120), (360, 150)], "url(#ice)")
    body += poly([(280, 150), (420, 100), (560, 88), (632, 96), (632, 150)], "url(#ice)")
    body += rect("url(#sea)", 0, 150, W, 202)
    body += poly([(0, 150), (360, 150), (330, 190), (0, 200)], "#e9f2f7")
    body += path("M0,200 L330,190 L360,150", stroke="#9fbccc", sw=3)
    for x, y, w, h in ((420, 210, 70, 30), (520, 250, 90, 36), (380, 290, 50, 22), (580, 200, 40, 18), (250, 260, 60, 24)):
        body += poly([(x, y), (x + w * 0.2, y - h), (x + w * 0.7, y - h * 1.1), (x + w, y)], "#f4f9fc")
        body += poly([(x, y), (x + w, y), (x + w * 0.8, y + h * 0.8), (x + w * 0.15, y + h * 0.6)], "#8fb3c7", extra='opacity="0.6"')
    for x in range(30, 330, 60):
        body += path("M%g,165 l10,25" % x, stroke="#b9cfdb", sw=2)
    return doc(body, defs)


def rhyacien_paleo():
    defs, body = slab("#4c4a46", "#2d2c2a", seed=8, spots=25, spot="#6b6862")
    rnd = random.Random(3)
    for cx, cy, r, rot in ((190, 150, 80, 10), (420, 200, 62, -20), (300, 270, 40, 30), (520, 90, 36, 0), (110, 280, 30, 50)):
        lobe = ""
        pts = []
        for k in range(40):
            a = k / 40 * 2 * math.pi
            rr = r * (1 + 0.12 * math.sin(5 * a + rot) + 0.05 * math.sin(11 * a))
            pts.append((cx + rr * math.cos(a), cy + rr * 0.75 * math.sin(a)))
        lobe += poly(pts, "#6f6a5f", "#8c8677", 2)
        for k in range(0, 40, 2):
            x, y = pts[k]
            lobe += path("M%g,%g L%g,%g" % (cx + (x - cx) * 0.35, cy + (y - cy) * 0.35, x, y), stroke="#504b43", sw=1.5)
        lobe += ellipse(cx, cy, r * 0.3, r * 0.22, "#5a564d", "#7e786b", 1.5)
        body += lobe
    body += scale_bar(470, 328, 60, "1 cm", "#ddd")
    return doc(body, defs)


def grypania(x, y, r, turns, colour, sw):
    pts = []
    n = int(turns * 40)
    for k in range(n):
        a = k / 40 * 2 * math.pi
        rr = r * (0.25 + 0.75 * k / n)
        pts.append((x + rr * math.cos(a), y + rr * 0.55 * math.sin(a)))
    return path("M" + " L".join("%.1f,%.1f" % p for p in pts), stroke=colour, sw=sw, extra='stroke-linecap="round"')


def orosirien_bio():
    defs = lin("water", [(0, "#5da3a8"), (1, "#173f4a")])
    body = rect("url(#water)")
    for x in range(40, 640, 90):
        body += poly([(x, 0), (x + 30, 0), (x - 60, 352), (x - 110, 352)], "#ffffff", extra='opacity="0.06"')
    body += path("M0,280 Q160,250 320,275 T632,262 L632,352 L0,352 Z", "#6a5a3e")
    body += path("M0,300 Q200,285 330,305 T632,295", stroke="#4d7a4a", sw=14, extra='opacity="0.7"')
    for x, y, r, t in ((120, 250, 60, 2.2), (300, 230, 80, 2.6), (480, 255, 55, 2.0), (560, 160, 40, 1.8), (200, 140, 45, 1.7)):
        body += grypania(x, y, r, t, "#2f5a2a", 9)
        body += grypania(x, y, r, t, "#6f9a4a", 4)
    rnd = random.Random(4)
    for _ in range(25):
        body += circle(rnd.uniform(0, W), rnd.uniform(0, 240), rnd.uniform(1, 2.5), "#cfe9e6", extra='opacity="0.6"')
    return doc(body, defs)


def orosirien_paleo():
    defs, body = microscope("#e8d9b0", "#b09a66")
    inner = ""
    rnd = random.Random(12)
    for _ in range(9):
        x, y, a = rnd.uniform(170, 470), rnd.uniform(60, 300), rnd.uniform(0, 180)
        d = "M0,0"
        for k in range(1, 9):
            d += " L%g,%g" % (k * 14, 6 * math.sin(k * 0.8))
        inner += g(path(d, stroke="#3b2a14", sw=5, extra='stroke-linecap="round"')
                   + "".join(circle(k * 14, 6 * math.sin(k * 0.8), 1.2, "#c9b27a") for k in range(9)),
                   "translate(%g,%g) rotate(%g)" % (x, y, a))
    for _ in range(14):
        x, y = rnd.uniform(170, 470), rnd.uniform(50, 300)
        inner += circle(x, y, rnd.uniform(6, 11), "#7a5a2a", "#3b2a14", 2)
    for x, y in ((230, 250), (420, 110)):
        star = ""
        for k in range(12):
            a = k * 30
            star += path("M0,0 L18,0", stroke="#3b2a14", sw=3, extra='transform="rotate(%d)"' % a)
        inner += g(star + circle(0, 0, 5, "#3b2a14"), "translate(%g,%g)" % (x, y))
    inner += g(path("M-22,0 Q0,-22 22,0 Z", "#5a3f1a", "#3b2a14", 2) + path("M0,-6 L0,22", stroke="#3b2a14", sw=3)
               + circle(0, 24, 4, "#3b2a14"), "translate(360,230)")
    body += '<g clip-path="url(#fieldclip)">%s</g>' % inner
    body += scale_bar(500, 330, 80, "20 µm", "#eee")
    return doc(body, defs)


def statherien_bio():
    defs = lin("bg", [(0, "#16485f"), (1, "#0b2433")])
    defs += rad("cyto", [(0, "#cfe6c6"), (1, "#8fbf8c")], r=0.6)
    body = rect("url(#bg)")
    cell = ellipse(0, 0, 190, 130, "url(#cyto)", "#557a4f", 6)
    cell += ellipse(-30, -10, 62, 52, "#b38fc2", "#6b4a7a", 4)
    cell += circle(-22, -16, 16, "#6b4a7a")
    for dx in (-48, -18, 12):
        cell += path("M%g,-70 q30,-12 60,0" % dx, stroke="#a58a6a", sw=3)
    for x, y, a in ((90, -50, 20), (110, 40, -30), (40, 80, 10), (-130, 60, 40), (-140, -50, -20)):
        cell += g(ellipse(0, 0, 26, 12, "#e8a25a", "#9a5a22", 2) + path("M-18,0 q6,-8 12,0 t12,0 t12,0", stroke="#9a5a22", sw=1.5),
                  "translate(%g,%g) rotate(%g)" % (x, y, a))
    body += g(cell, "translate(300,180)")
    rnd = random.Random(5)
    for _ in range(16):
        x, y = rnd.choice([(rnd.uniform(20, 100), rnd.uniform(20, 340)), (rnd.uniform(520, 620), rnd.uniform(20, 340)),
                           (rnd.uniform(100, 520), rnd.uniform(320, 345))])
        body += g(rect("#7fc6d9", -9, -4, 18, 8, 'rx="4" stroke="#3f8aa0" stroke-width="1.5"'),
                  "translate(%g,%g) rotate(%d)" % (x, y, rnd.randint(0, 180)))
    body += text(230, 110, "noyau", 14, "#fff") + text(360, 250, "mitochondrie", 14, "#fff")
    body += text(530, 30, "bactéries", 14, "#bfe8f2")
    return doc(body, defs)


def statherien_paleo():
    defs, body = microscope("#efe2c0", "#bfa873")
    defs += rad("acr", [(0, "#c98b3a"), (0.8, "#8a5220"), (1, "#5a3210")], cx=0.4, cy=0.4)
    inner = circle(316, 176, 110, "url(#acr)", "#4a2a0c", 3)
    for k in range(1, 9):
        inner += circle(316, 176, 110 - k * 12, "none", "#5a3210", 1.5, 'opacity="0.6"')
    inner += path("M240,120 Q300,150 380,110", stroke="#3a1f08", sw=2)
    body += '<g clip-path="url(#fieldclip)">%s</g>' % inner
    body += scale_bar(500, 330, 80, "50 µm", "#eee")
    return doc(body, defs)


def algae_strap(x, y, length, bend, width, colour):
    return path("M%g,%g q%g,%g %g,%g" % (x, y, bend, -length / 2, bend / 2, -length), stroke=colour, sw=width,
                extra='stroke-linecap="round"')


def calymmien_bio():
    defs = lin("water", [(0, "#4f9aa6"), (1, "#123844")])
    body = rect("url(#water)")
    body += path("M0,290 Q200,270 400,292 T632,285 L632,352 L0,352 Z", "#7a6a4a")
    rnd = random.Random(8)
    for _ in range(26):
        x = rnd.uniform(10, 620)
        y = rnd.uniform(285, 340)
        body += algae_strap(x, y, rnd.uniform(80, 200), rnd.uniform(-50, 50), rnd.uniform(5, 10),
                            rnd.choice(["#5d7a2e", "#6f8a36", "#4f6a2a", "#7f8f3c"]))
    for _ in range(20):
        body += circle(rnd.uniform(0, W), rnd.uniform(0, 260), rnd.uniform(1, 2), "#d5f0ec", extra='opacity="0.5"')
    return doc(body, defs)


def calymmien_paleo():
    defs, body = slab("#b7b1a3", "#87806f", seed=10, spots=30, spot="#6f6a5e")
    rnd = random.Random(7)
    for y0, x0, n, step in ((90, 60, 12, 44), (180, 100, 10, 46), (270, 40, 13, 42)):
        d = "M%g,%g" % (x0, y0)
        pts = []
        for k in range(n):
            x = x0 + k * step
            y = y0 + 14 * math.sin(k * 0.7 + y0)
            pts.append((x, y))
        body += path("M" + " L".join("%g,%g" % p for p in pts), stroke="#5d574b", sw=2)
        for x, y in pts:
            r = rnd.uniform(8, 13)
            body += circle(x + 1.5, y + 2, r, "#4d483e", extra='opacity="0.6"')
            body += circle(x, y, r, "#9a917f", "#5d574b", 1.5)
    body += scale_bar(480, 330, 70, "1 cm", "#222")
    return doc(body, defs)


def ectasien_bio():
    defs, body = sky("#79b3e0", "#e7f1f7", 140)
    defs += lin("lagoon", [(0, "#5fc7c4"), (1, "#2a8a95")])
    body += path("M0,140 L120,118 L240,132 L380,112 L520,128 L632,120 L632,140 Z", "#a7825f")
    body += rect("url(#lagoon)", 0, 140, W, 212)
    for i in range(5):
        body += path(wave_line(150 + i * 18, 2, 80, phase=i * 1.3), stroke="#bfeeee", sw=1.5, extra='opacity="0.5"')
    for x, y, w, h in ((70, 300, 50, 90), (140, 320, 60, 110), (230, 290, 40, 70), (310, 330, 70, 130),
                       (400, 300, 45, 85), (480, 320, 60, 100), (560, 295, 40, 75), (610, 330, 50, 95)):
        body += poly([(x - w / 2, y), (x, y - h), (x + w / 2, y)], "#b9a27a", "#7d6645", 2)
        for k in range(1, 6):
            f = k / 6
            body += path("M%g,%g L%g,%g L%g,%g" % (x - w / 2 * (1 - f), y - h * f * 0.9 + 8, x, y - h * f - 8 + h * 0.1,
                                                   x + w / 2 * (1 - f), y - h * f * 0.9 + 8), stroke="#7d6645", sw=1, extra='opacity="0.6"')
    body += rect("#9e8a64", 0, 330, W, 22, 'opacity="0.6"')
    return doc(body, defs)


def ectasien_paleo():
    defs, body = laminae_slab([(160, 90, 170), (440, 100, 200)], 9, layers=28, c_dark="#5c5a52", c_light="#c9c3b0", cone=True)
    body += scale_bar(480, 330, 80, "5 cm", "#fff")
    return doc(body, defs)


def red_filament(x, y, length, bend, colour):
    return path("M%g,%g q%g,%g %g,%g" % (x, y, bend, -length * 0.6, bend * 0.4, -length), stroke=colour, sw=3,
                extra='stroke-linecap="round"')


def stenien_bio():
    defs, body = sky("#8ab8dc", "#f3eee2", 150)
    defs += lin("flat", [(0, "#7ea8a6"), (1, "#566e66")])
    body += poly([(0, 150), (0, 110), (90, 70), (170, 100), (260, 55), (360, 95), (450, 75), (560, 110), (632, 90), (632, 150)], "#8d7a6a")
    body += rect("url(#flat)", 0, 150, W, 202)
    body += path(wave_line(200, 3, 90), stroke="#d8ecea", sw=2, extra='opacity="0.6"')
    rnd = random.Random(14)
    for x, y, rx, ry in ((110, 280, 90, 45), (300, 300, 120, 55), (500, 270, 100, 42), (420, 340, 80, 30), (40, 340, 60, 25)):
        body += ellipse(x, y, rx, ry, "#6d6258", "#4f463e", 2)
        for _ in range(int(rx / 3)):
            fx = x + rnd.uniform(-rx * 0.8, rx * 0.8)
            fy = y - ry * 0.7 + rnd.uniform(0, ry * 0.4)
            body += red_filament(fx, fy, rnd.uniform(20, 45), rnd.uniform(-14, 14), rnd.choice(["#9e2a3a", "#b8384a", "#7a1f2e"]))
    return doc(body, defs)


def stenien_paleo():
    defs, body = microscope("#efe4c8", "#b9a57a")
    inner = ""
    for x0, y0, n, a in ((230, 300, 14, -8), (300, 310, 16, 4), (380, 300, 11, 14), (440, 305, 9, 22)):
        fil = path("M-8,0 q8,12 16,0", "#6a3a1a")
        for k in range(n):
            fil += rect("#a85a2a", -7, -(k + 1) * 14, 14, 13, 'rx="3" stroke="#5a2a10" stroke-width="1.5"')
            fil += path("M-5,%g h10" % (-(k + 1) * 14 + 6.5), stroke="#5a2a10", sw=1, extra='opacity="0.6"')
        inner += g(fil, "translate(%g,%g) rotate(%g)" % (x0, y0, a))
    body += '<g clip-path="url(#fieldclip)">%s</g>' % inner
    body += scale_bar(500, 330, 80, "50 µm", "#eee")
    return doc(body, defs)


def vase(x, y, s, a, colour="#8a5a2a"):
    d = "M-10,-40 L10,-40 L12,-30 C40,-20 44,30 0,40 C-44,30 -40,-20 -12,-30 Z"
    return g(path(d, colour, "#4a2a10", 2.5) + ellipse(0, -40, 10, 3, "#3a2008"), "translate(%g,%g) rotate(%g) scale(%g)" % (x, y, a, s))


def tonien_bio():
    defs = rad("bg", [(0, "#cfe8ef"), (1, "#6fa8bb")], r=0.7)
    body = rect("url(#bg)")
    rnd = random.Random(21)
    for _ in range(12):
        x, y, r = rnd.uniform(30, 600), rnd.uniform(30, 320), rnd.uniform(14, 26)
        body += circle(x, y, r, "#5fae4a", "#2f6a22", 2, 'opacity="0.85"')
        body += circle(x - r * 0.3, y - r * 0.3, r * 0.3, "#b6e29a", extra='opacity="0.7"')
    for x, y, a in ((200, 170, -20), (380, 120, 15), (470, 250, 40), (120, 280, 10)):
        body += vase(x, y, 1.2, a, "#b07a3a")
        for k in range(5):
            body += path("M%g,%g q-15,-10 -30,-6" % (x + 0, y - 50), stroke="#8a6a4a", sw=1.5,
                         extra='transform="rotate(%d %g %g)"' % (k * 20 - 40 + a, x, y - 50))
    for _ in range(6):
        x, y = rnd.uniform(40, 600), rnd.uniform(40, 320)
        spikes = "".join(path("M0,0 L22,0", stroke="#6a4a2a", sw=2, extra='transform="rotate(%d)"' % (k * 30)) for k in range(12))
        body += g(spikes + circle(0, 0, 11, "#b68a52", "#6a4a2a", 2), "translate(%g,%g)" % (x, y))
    return doc(body, defs)


def tonien_paleo():
    defs, body = microscope("#f0e4c6", "#bba67a")
    inner = vase(250, 170, 2.0, -12) + vase(410, 150, 1.5, 18) + vase(380, 280, 1.1, 60) + vase(200, 300, 0.9, -40)
    body += '<g clip-path="url(#fieldclip)">%s</g>' % inner
    body += scale_bar(500, 330, 80, "50 µm", "#eee")
    return doc(body, defs)


def cryogenien_bio():
    defs = rad("globe", [(0, "#ffffff"), (0.7, "#dbe8f0"), (1, "#8fa9bd")], cx=0.38, cy=0.35, r=0.7)
    defs += rad("halo", [(0.85, ("#9ad0ff", 0.0)), (0.93, ("#9ad0ff", 0.6)), (1, ("#9ad0ff", 0.0))])
    body = rect("#02040a") + stars(90, 12)
    body += circle(316, 176, 170, "url(#halo)")
    body += circle(316, 176, 150, "url(#globe)")
    defs += '<clipPath id="gc"><circle cx="316" cy="176" r="150"/></clipPath>'
    inner = path("M200,120 C240,100 300,110 330,140 C350,170 300,200 260,190 C230,180 200,160 200,120 Z", "#c5d6e2")
    inner += path("M360,200 C400,190 440,210 450,240 C440,270 400,280 370,260 Z", "#c5d6e2")
    inner += path(wave_line(200, 4, 70, 160, 480), stroke="#7fa3bf", sw=6, extra='opacity="0.5"')
    inner += path("M180,150 L230,170 M400,120 L460,150 M300,260 L350,250", stroke="#a9c0d0", sw=2)
    inner += circle(390, 130, 8, "#5a4a42") + path("M390,122 q-10,-20 10,-35 q15,-12 0,-25", stroke="#9a9a9a", sw=6, extra='opacity="0.6"')
    body += '<g clip-path="url(#gc)">%s</g>' % inner
    return doc(body, defs)


def cryogenien_paleo():
    defs, body = slab("#8f949a", "#5f6469", seed=13, spots=0)
    defs += '<clipPath id="sc"><rect x="14" y="14" width="604" height="324" rx="26"/></clipPath>'
    inner = ""
    for i in range(24):
        inner += path(wave_line(30 + i * 13, 1.5, 200, phase=i), stroke="#4e5358", sw=1, extra='opacity="0.4"')
    rnd = random.Random(31)
    for _ in range(55):
        x, y, r = rnd.uniform(20, 610), rnd.uniform(20, 330), rnd.uniform(3, 16)
        n = rnd.randint(5, 8)
        pts = [(x + r * rnd.uniform(0.6, 1.1) * math.cos(k * 2 * math.pi / n), y + r * rnd.uniform(0.6, 1.1) * math.sin(k * 2 * math.pi / n)) for k in range(n)]
        inner += poly(pts, rnd.choice(["#d8d2c4", "#b2573d", "#3e3b38", "#e9e4da", "#8a7a6a", "#c99a6a"]), "#333", 1)
    inner += path("M240,150 Q320,215 400,150", stroke="#4e5358", sw=2)
    inner += ellipse(320, 160, 62, 44, "#c9c2b4", "#2f2f2f", 2)
    inner += path("M280,150 Q320,140 360,158", stroke="#9a9284", sw=3)
    body += '<g clip-path="url(#sc)">%s</g>' % inner
    body += scale_bar(480, 330, 80, "10 cm", "#fff")
    return doc(body, defs)


def charnia(x, y, h, colour):
    frond = ellipse(0, -h / 2, h * 0.16, h / 2, colour, "#3f5a44", 2)
    for k in range(1, 12):
        yy = -k * h / 12
        frond += path("M0,%g l%g,-8 M0,%g l%g,-8" % (yy, h * 0.14, yy, -h * 0.14), stroke="#3f5a44", sw=1.5)
    frond += path("M0,0 L0,%g" % (-h), stroke="#3f5a44", sw=2)
    frond += ellipse(0, 6, 14, 6, "#6a7a5a", "#3f5a44", 2)
    return g(frond, "translate(%g,%g)" % (x, y))


def dickinsonia(x, y, w, colour="#c9a27a", stroke="#7a5a3a", a=0):
    d = ellipse(0, 0, w, w * 0.7, colour, stroke, 2)
    n = min(int(w / 4), 18)
    for k in range(-n + 1, n):
        xx = k * w / n
        hh = w * 0.7 * math.sqrt(max(0, 1 - (xx / w) ** 2))
        d += path("M%g,0 Q%g,%g %g,%g M%g,0 Q%g,%g %g,%g" % (xx, xx + w * 0.03, -hh * 0.5, xx * 1.04, -hh, xx, xx + w * 0.03, hh * 0.5, xx * 1.04, hh),
                  stroke=stroke, sw=max(1.2, w / 70))
    d += path("M%g,0 L%g,0" % (-w, w), stroke=stroke, sw=1.5)
    return g(d, "translate(%g,%g) rotate(%g)" % (x, y, a))


def ediacarien_bio():
    defs = lin("water", [(0, "#5fa3a0"), (1, "#1f4a4f")])
    body = rect("url(#water)")
    body += path("M0,260 Q150,245 320,262 T632,255 L632,352 L0,352 Z", "#a89a74")
    body += path("M0,280 Q200,270 400,285 T632,278", stroke="#8f8262", sw=20, extra='opacity="0.4"')
    body += charnia(120, 275, 170, "#8fae8a") + charnia(200, 285, 120, "#9fbf92") + charnia(520, 270, 190, "#86a884")
    body += dickinsonia(330, 300, 38, "#d8b48a", "#8a6a42", -8) + dickinsonia(430, 320, 24, "#d8b48a", "#8a6a42", 20)
    tri = circle(0, 0, 16, "#c7b28a", "#7a6542", 2)
    for k in range(3):
        tri += path("M0,0 q10,-4 14,6", stroke="#7a6542", sw=2.5, extra='transform="rotate(%d)"' % (k * 120))
    body += g(tri, "translate(260,330)")
    body += g(path("M-16,0 C-16,-14 16,-14 16,0 C16,6 -16,6 -16,0 Z", "#b0907a", "#6a4a3a", 2)
              + path("M-12,0 h24", stroke="#6a4a3a", sw=1), "translate(590,330)")
    return doc(body, defs)


def ediacarien_paleo():
    defs, body = slab("#d6c29a", "#a88e62", seed=15, spots=30, spot="#96805a")
    body += dickinsonia(300, 176, 200, "#c4ab7e", "#7a6040", -6)
    body += dickinsonia(540, 90, 40, "#c4ab7e", "#7a6040", 30)
    body += scale_bar(470, 330, 80, "4 cm", "#222")
    return doc(body, defs)


PICTURES = {
    "hadeen_bio": hadeen_bio, "hadeen_paleo": hadeen_paleo,
    "archeen_bio": archeen_bio, "archeen_paleo": archeen_paleo,
    "siderien_bio": siderien_bio, "siderien_paleo": siderien_paleo,
    "rhyacien_bio": rhyacien_bio, "rhyacien_paleo": rhyacien_paleo,
    "orosirien_bio": orosirien_bio, "orosirien_paleo": orosirien_paleo,
    "statherien_bio": statherien_bio, "statherien_paleo": statherien_paleo,
    "calymmien_bio": calymmien_bio, "calymmien_paleo": calymmien_paleo,
    "ectasien_bio": ectasien_bio, "ectasien_paleo": ectasien_paleo,
    "stenien_bio": stenien_bio, "stenien_paleo": stenien_paleo,
    "tonien_bio": tonien_bio, "tonien_paleo": tonien_paleo,
    "cryogenien_bio": cryogenien_bio, "cryogenien_paleo": cryogenien_paleo,
    "ediacarien_bio": ediacarien_bio, "ediacarien_paleo": ediacarien_paleo,
}
