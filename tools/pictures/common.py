"""Drawing helpers shared by the picture sources: every picture is a 632 x 352 SVG."""

import math
import random

W, H = 632, 352


def doc(body, defs=""):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
            '<defs>%s</defs>\n%s\n</svg>\n' % (W, H, W, H, defs, body))


def lin(id_, stops, x1=0, y1=0, x2=0, y2=1):
    s = "".join('<stop offset="%g" stop-color="%s"/>' % (o, c) for o, c in stops)
    return ('<linearGradient id="%s" x1="%g" y1="%g" x2="%g" y2="%g">%s</linearGradient>'
            % (id_, x1, y1, x2, y2, s))


def rad(id_, stops, cx=0.5, cy=0.5, r=0.5):
    s = "".join('<stop offset="%g" stop-color="%s"%s/>'
                % (o, c[0] if isinstance(c, tuple) else c,
                   (' stop-opacity="%g"' % c[1]) if isinstance(c, tuple) else "")
                for o, c in stops)
    return '<radialGradient id="%s" cx="%g" cy="%g" r="%g">%s</radialGradient>' % (id_, cx, cy, r, s)


def rect(fill, x=0, y=0, w=W, h=H, extra=""):
    return '<rect x="%g" y="%g" width="%g" height="%g" fill="%s" %s/>' % (x, y, w, h, fill, extra)


def g(content, transform="", extra=""):
    return '<g transform="%s" %s>%s</g>' % (transform, extra, content)


def path(d, fill="none", stroke="none", sw=1, extra=""):
    return '<path d="%s" fill="%s" stroke="%s" stroke-width="%g" %s/>' % (d, fill, stroke, sw, extra)


def circle(cx, cy, r, fill="none", stroke="none", sw=1, extra=""):
    return '<circle cx="%g" cy="%g" r="%g" fill="%s" stroke="%s" stroke-width="%g" %s/>' % (
        cx, cy, r, fill, stroke, sw, extra)


def ellipse(cx, cy, rx, ry, fill="none", stroke="none", sw=1, extra=""):
    return '<ellipse cx="%g" cy="%g" rx="%g" ry="%g" fill="%s" stroke="%s" stroke-width="%g" %s/>' % (
        cx, cy, rx, ry, fill, stroke, sw, extra)


def text(x, y, s, size=14, fill="#fff", anchor="start", extra=""):
    return ('<text x="%g" y="%g" font-family="Liberation Sans, Arial, sans-serif" font-size="%g" '
            'fill="%s" text-anchor="%s" %s>%s</text>' % (x, y, size, fill, anchor, extra, s))


def poly(points, fill="none", stroke="none", sw=1, extra=""):
    pts = " ".join("%g,%g" % p for p in points)
    return '<polygon points="%s" fill="%s" stroke="%s" stroke-width="%g" %s/>' % (pts, fill, stroke, sw, extra)


def sky(top, bottom, horizon=H, id_="sky"):
    return lin(id_, [(0, top), (1, bottom)]), rect("url(#%s)" % id_, h=horizon)


def wave_line(y, amp, period, x0=0, x1=W, phase=0.0):
    pts = []
    x = x0
    while x <= x1 + 1:
        pts.append((x, y + amp * math.sin((x / period) * 2 * math.pi + phase)))
        x += 6
    return "M" + " L".join("%.1f,%.1f" % p for p in pts)


def slab(c1="#d8ccb2", c2="#a6977a", cloth="#33302c", seed=1, rx=26, inset=14, spots=40, spot="#8e8168"):
    """A polished or split rock slab on a dark cloth, with a few mottles."""
    rnd = random.Random(seed)
    defs = rad("slabg", [(0, c1), (1, c2)], cx=0.45, cy=0.4, r=0.75)
    body = rect(cloth)
    body += rect("#000", inset + 5, inset + 7, W - 2 * inset, H - 2 * inset, 'rx="%g" opacity="0.45"' % rx)
    body += rect("url(#slabg)", inset, inset, W - 2 * inset, H - 2 * inset, 'rx="%g"' % rx)
    for _ in range(spots):
        x, y = rnd.uniform(inset + 20, W - inset - 20), rnd.uniform(inset + 20, H - inset - 20)
        body += ellipse(x, y, rnd.uniform(4, 22), rnd.uniform(2, 9), spot,
                        extra='opacity="%.2f" transform="rotate(%d %g %g)"' % (rnd.uniform(0.08, 0.25), rnd.randint(0, 180), x, y))
    return defs, body


def microscope(bg_in="#e9dfc4", bg_out="#b7a77f"):
    """A round field of view on black, as seen through a microscope."""
    defs = rad("field", [(0, bg_in), (0.85, bg_out), (1, "#4a4030")])
    defs += '<clipPath id="fieldclip"><circle cx="316" cy="176" r="168"/></clipPath>'
    body = rect("#000") + circle(316, 176, 168, "url(#field)")
    return defs, body


def scale_bar(x, y, length, label, colour="#111"):
    return (path("M%g,%g h%g" % (x, y, length), stroke=colour, sw=4)
            + text(x + length / 2, y - 7, label, 13, colour, "middle"))


def stars(n=60, seed=7, y1=H):
    rnd = random.Random(seed)
    return "".join(circle(rnd.uniform(0, W), rnd.uniform(0, y1), rnd.uniform(0.4, 1.4), "#fff",
                          extra='opacity="%.2f"' % rnd.uniform(0.4, 1)) for _ in range(n))
