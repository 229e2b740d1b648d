#!/usr/bin/env python3
"""Generates Aevorium's data files from the chronostratigraphic chart and the content sources.

Usage (from the repository's root, Python 3 standard library only):

    python3 tools/gen_data.py              # scale files, gauge bitmap, event files, data-set index,
                                           # documents, help and credits into data/
    python3 tools/gen_data.py --pictures   # the same, and renders data-src/pictures/*.svg into
                                           # data/images/ (needs rsvg-convert and cjpeg)
    python3 tools/gen_data.py --check      # writes nothing; fails when a file in data/ is not
                                           # what the sources give

Sources (data-src/):
    ics-chart.tsv    the International Chronostratigraphic Chart as a fact table: rank, English and
                     French names, base in Ma, uncertainty, parent, CGMW colour, source. A new
                     edition of the chart is one edit of this file and one run of this tool.
    periodes.json    per period (system; the Hadean and the Archean as wholes): captions, picture
                     names and the texts of the two documents.
    events/*.tsv     dated events (date in Ma, French text, source), one file per event file.
                     terre.tsv, the events of the full data set, is the events' fact table as it
                     stands (its category column is not used). In the other files the column
                     same_as may name a file whose event at the same date describes the same
                     thing: the period pages then list that one only.
    pictures/*.svg   the drawings, rendered to PNG (palaeontology) and JPEG (biology).
    parcours.json    the guided tours shipped in data/Parcours/ (*.aevp): per stop a title, a text
                     and the date of an event of events/terre.tsv ("evenement") or the base of a
                     unit of the chart ("base", French name); a date found in neither is refused.

The INI files are written in Windows-1252 with CR LF line ends, as the program reads them.
"""

import argparse
import csv
import html
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unicodedata
import zlib
from decimal import Decimal

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(ROOT, "data-src")
OUT = os.path.join(ROOT, "data")

RANKS = ["eon", "era", "system", "series", "stage"]
LEVEL_KEYS = {"eon": "eon", "era": "ere", "system": "systeme", "series": "serie", "stage": "etage"}

# The dials' range and the gauge's geometry: the bar is 3 pixels wide on a strip
# 820 pixels wide, its left edge at strip column round(817 * (v + 4550) / 4580).
DIAL_MIN, DIAL_MAX = -4550, 30
GAUGE_WIDTH, GAUGE_HEIGHT = 820, 40
GAUGE_TRACK = GAUGE_WIDTH - 3
EVENT_MIN, EVENT_MAX = Decimal("-4567.3"), Decimal(DIAL_MAX)

# The data sets offered in the Données menu, in menu order: name, scale file, event file.
DATA_SETS = [
    ("Echelle complète et histoire de la Terre", "Echelle.ini", "Evenement.ini"),
    ("Echelle simplifiée et histoire de la vie", "Echelle_simple.ini", "Evenement_vie.ini"),
    ("Extinctions et crises de la vie", "Echelle.ini", "Evenement_crises.ini"),
    ("Lignée humaine", "Echelle.ini", "Evenement_homme.ini"),
]
EVENT_SOURCES = {
    "Evenement.ini": "terre.tsv",
    "Evenement_vie.ini": "vie.tsv",
    "Evenement_crises.ini": "crises.tsv",
    "Evenement_homme.ini": "homme.tsv",
}

# The edition of the chart that ics-chart.tsv holds; named in the scale files'
# description line, which the printed page shows.
CHART_EDITION = "ICS 2024/12"

GENERATED_NOTE = "; Fichier produit par tools/gen_data.py : modifier les sources de data-src/ et relancer l'outil."


class Unit:
    def __init__(self, row):
        self.rank = row["rank"]
        self.name_en = row["name_en"]
        self.name_fr = row["name_fr"]
        self.base = Decimal(row["base_ma"])
        self.parent_en = row["parent_name_en"] or None
        hexcol = row["colour_hex"].lstrip("#")
        if len(hexcol) != 6:
            raise SystemExit("couleur illisible pour %s : %r" % (self.name_en, row["colour_hex"]))
        self.rgb = tuple(int(hexcol[i:i + 2], 16) for i in (0, 2, 4))
        self.parent = None
        self.children = []

    @property
    def start(self):
        """Start date, negative in the past."""
        return -self.base

    def ancestry(self):
        """{rank: unit} for this unit and its ancestors."""
        chain, u = {}, self
        while u is not None:
            chain[u.rank] = u
            u = u.parent
        return chain


def read_chart(path):
    with open(path, encoding="utf-8", newline="") as f:
        units = [Unit(r) for r in csv.DictReader(f, delimiter="\t")]
    by_name = {}
    for u in units:
        if u.rank not in RANKS:
            raise SystemExit("rang inconnu : %s (%s)" % (u.rank, u.name_en))
        if u.name_en in by_name:
            raise SystemExit("unité en double : %s" % u.name_en)
        by_name[u.name_en] = u
    for u in units:
        if u.parent_en:
            u.parent = by_name.get(u.parent_en)
            if u.parent is None:
                raise SystemExit("parent inconnu de %s : %s" % (u.name_en, u.parent_en))
            if RANKS.index(u.parent.rank) >= RANKS.index(u.rank):
                raise SystemExit("%s est de rang inférieur à son parent" % u.name_en)
            u.parent.children.append(u)
        elif u.rank != "eon":
            raise SystemExit("%s n'a pas de parent" % u.name_en)
    # Every child starts within its parent; the first child starts with it.
    for u in units:
        if u.children:
            u.children.sort(key=lambda c: -c.base)
            if u.children[0].base != u.base:
                raise SystemExit("le premier enfant de %s ne commence pas avec lui" % u.name_en)
            for c in u.children:
                if c.base > u.base:
                    raise SystemExit("%s commence avant son parent %s" % (c.name_en, u.name_en))
    return units


def finest_units(units, deepest="stage"):
    """Units with nothing finer down to the rank `deepest`, oldest first."""
    limit = RANKS.index(deepest)
    rows = [u for u in units if RANKS.index(u.rank) <= limit
            and not any(RANKS.index(c.rank) <= limit for c in u.children)]
    rows.sort(key=lambda u: -u.base)
    # The rows must tile time: no two rows start at the same date.
    starts = [u.base for u in rows]
    if len(set(starts)) != len(starts):
        raise SystemExit("deux unités les plus fines commencent à la même date")
    return rows


def ma_section(start):
    """A start date as a section name, written as the program writes numbers: a comma."""
    text = format(start.normalize(), "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return text.replace(".", ",")


def win_colour(rgb):
    """A colour as the program reads it: 0x00BBGGRR, red in the low byte."""
    r, g, b = rgb
    return "0x00%02X%02X%02X" % (b, g, r)


def slug(text):
    s = unicodedata.normalize("NFKD", text)
    return "".join(c for c in s if c.isalnum() and ord(c) < 128).lower()


def read_subjects(units):
    with open(os.path.join(SRC, "periodes.json"), encoding="utf-8") as f:
        subjects = json.load(f)
    by_unit = {}
    for key, s in subjects.items():
        s["key"] = key
        s.setdefault("imagebio", key + "_bio")
        s.setdefault("imagepaleo", key + "_paleo")
        for name in s["unites"]:
            if name in by_unit:
                raise SystemExit("%s appartient à deux sujets" % name)
            by_unit[name] = s
        for c in ("labelbio", "labelpaleo"):
            if len(s[c]) > 32:
                raise SystemExit("légende trop longue (%d) : %s" % (len(s[c]), s[c]))
    return subjects, by_unit


def subject_of(unit, by_unit):
    """The subject of a row: that of its system, else of its era, else of its eon."""
    chain = unit.ancestry()
    for rank in ("system", "era", "eon"):
        u = chain.get(rank)
        if u is not None and u.name_en in by_unit:
            return by_unit[u.name_en]
    raise SystemExit("aucun sujet (images, documents) pour %s" % unit.name_en)


def picture_files(subject):
    return "images/%s.jpg" % subject["imagebio"], "images/%s.png" % subject["imagepaleo"]


def doc_files(subject):
    return "docs/%s_bio.html" % subject["key"], "docs/%s_paleo.html" % subject["key"]


def ini_bytes(lines):
    text = "\r\n".join(lines) + "\r\n"
    try:
        return text.encode("cp1252")
    except UnicodeEncodeError as e:
        raise SystemExit("caractère hors de Windows-1252 : %r" % text[max(0, e.start - 30):e.end + 10])


def scale_ini(rows, by_unit, title):
    lines = [GENERATED_NOTE, "; " + title, ""]
    for u in rows:
        chain = u.ancestry()
        s = subject_of(u, by_unit)
        bio_pic, paleo_pic = picture_files(s)
        bio_doc, paleo_doc = doc_files(s)
        lines.append("[%s]" % ma_section(u.start))
        for rank in RANKS:
            if rank in chain:
                lines.append("%s=%s" % (LEVEL_KEYS[rank], chain[rank].name_fr))
        lines += ["couleur=" + win_colour(u.rgb),
                  "labelbio=" + s["labelbio"], "imagebio=" + bio_pic, "lienbio=" + bio_doc,
                  "labelpaleo=" + s["labelpaleo"], "imagepaleo=" + paleo_pic, "lienpaleo=" + paleo_doc,
                  ""]
    return ini_bytes(lines)


def colours_ini(units):
    """The chart colour of every unit, one section per rank, for the timeline chart."""
    lines = [GENERATED_NOTE,
             "; Couleurs CGMW des unités de la charte %s, par rang (éon, ère, système, série, étage)" % CHART_EDITION,
             ""]
    for rank in RANKS:
        lines.append("[%s]" % LEVEL_KEYS[rank])
        for u in sorted((u for u in units if u.rank == rank), key=lambda u: -u.base):
            lines.append("%s=%s" % (u.name_fr, win_colour(u.rgb)))
        lines.append("")
    return ini_bytes(lines)


def event_date_text(value):
    """The date text of an event: a comma, no sign for the future, three decimals as the program
    writes them, or more when the source date has more (the Holocene starts at -0,0117: written
    -0,012 it would stand in the Pleistocene). The program reads any number of decimals."""
    places = max(3, -value.normalize().as_tuple().exponent)
    q = value.quantize(Decimal(1).scaleb(-places))
    if q == 0:
        q = Decimal("0.000")
    return format(q, "f").replace(".", ",")


def read_events(name):
    with open(os.path.join(SRC, "events", name), encoding="utf-8", newline="") as f:
        events = [(Decimal(r["date_ma"]), r["text_fr"].strip(), r["source"]) for r in csv.DictReader(f, delimiter="\t")]
    seen = set()
    for d, text, _ in events:
        if not (EVENT_MIN <= d <= EVENT_MAX):
            raise SystemExit("%s : date hors de -4567,3 ... +30 : %s" % (name, d))
        if text in seen:
            raise SystemExit("%s : événement en double : %s" % (name, text))
        seen.add(text)
        if not text or text[0] in "\"'" and text[-1] == text[0]:
            raise SystemExit("%s : texte vide ou entre guillemets à %s" % (name, event_date_text(d)))
    return sorted(events, key=lambda e: e[0])


def events_ini(events):
    """One section per event. The section name is the date text; the program reads the first
    section of a name only, so an event at the date of the one before it gets one more zero
    (-2,800 then -2,8000): the same date, a section of its own."""
    lines, names = [GENERATED_NOTE, ""], set()
    for d, text, _ in events:
        name = event_date_text(d)
        while name in names:
            name += "0"
        names.add(name)
        lines += ["[%s]" % name, "Evenement=" + text, ""]
    return ini_bytes(lines)


def index_ini():
    lines = ["; Jeux de données du menu Données : fichier d'échelle et fichier d'événements.", ""]
    for name, scale, events in DATA_SETS:
        lines += ["[%s]" % name, "Echelle=" + scale, "Evenement=" + events, ""]
    return ini_bytes(lines)


# --- Gauge bitmap --------------------------------------------------------------------------

def column_date(k):
    """The date under the middle of the gauge's bar when that middle stands on strip column k."""
    return (k - 1) * (DIAL_MAX - DIAL_MIN) / GAUGE_TRACK + DIAL_MIN


def unit_at(units, date):
    """The unit of `units` (sorted oldest first) that contains `date`, or None in the future."""
    if date > 0:
        return None
    found = units[0]
    for u in units:
        if float(u.start) <= date:
            found = u
    return found


def gauge_bmp(rows):
    """Eons, eras and periods as three stacked bands, 40 pixels high, split by dark lines.

    `rows` are the finest units, oldest first. Where a rank is missing (the Hadean has no
    era, the Archean no period) the band takes the colour of the next coarser unit. Dates
    after the present are left light grey.
    """
    bands = [("eon", 0, 13), ("era", 14, 27), ("system", 28, 40)]
    separator = (64, 64, 64)
    future = (216, 216, 216)
    pixels = [[separator] * GAUGE_WIDTH for _ in range(GAUGE_HEIGHT)]
    for k in range(GAUGE_WIDTH):
        date = column_date(k)
        colours = {}
        if date > 0:
            colours = {r: future for r, _, _ in bands}
        else:
            chain = unit_at(rows, date).ancestry()
            colours["eon"] = chain["eon"].rgb
            colours["era"] = chain["era"].rgb if "era" in chain else colours["eon"]
            colours["system"] = chain["system"].rgb if "system" in chain else colours["era"]
        for rank, top, bottom in bands:
            for y in range(top, bottom):
                pixels[y][k] = colours[rank]
    return bmp_bytes(pixels)


def bmp_bytes(pixels):
    h, w = len(pixels), len(pixels[0])
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for y in range(h - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for r, g, b in pixels[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        body += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + bytes(body)


# --- Pictures ------------------------------------------------------------------------------

def png_to_ppm(png):
    """Decodes an 8-bit, non-interlaced RGB or RGBA PNG (what rsvg-convert writes) into a PPM,
    flattening transparency onto white."""
    if png[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("PNG illisible")
    pos, idat, width = 8, bytearray(), None
    while pos < len(png):
        length, kind = struct.unpack(">I4s", png[pos:pos + 8])
        data = png[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", data)
            if depth != 8 or ctype not in (2, 6) or interlace:
                raise SystemExit("PNG de forme inattendue")
            channels = 4 if ctype == 6 else 3
        elif kind == b"IDAT":
            idat += data
    raw = zlib.decompress(bytes(idat))
    stride = width * channels
    prev = bytearray(stride)
    out = bytearray()
    pos = 0
    for _ in range(height):
        ftype = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + ((a + b) >> 1)) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        prev = line
        if channels == 3:
            out += line
        else:
            for i in range(0, stride, 4):
                al = line[i + 3]
                for j in range(3):
                    out.append((line[i + j] * al + 255 * (255 - al) + 127) // 255)
    return b"P6\n%d %d\n255\n" % (width, height) + bytes(out)


PICTURE_WIDTH, PICTURE_HEIGHT = 632, 352


def render_pictures(subjects):
    """Renders every picture the scale names from its SVG source."""
    for tool in ("rsvg-convert", "cjpeg"):
        if shutil.which(tool) is None:
            raise SystemExit("%s est nécessaire pour --pictures (scripts/install-deps l'installe)" % tool)
    os.makedirs(os.path.join(OUT, "images"), exist_ok=True)
    done = set()
    for s in subjects.values():
        for base, ext in ((s["imagebio"], "jpg"), (s["imagepaleo"], "png")):
            if base in done:
                continue
            done.add(base)
            svg = os.path.join(SRC, "pictures", base + ".svg")
            if not os.path.exists(svg):
                print("  (pas encore de dessin : %s)" % svg)
                continue
            png = subprocess.run(["rsvg-convert", "-w", str(PICTURE_WIDTH), "-h", str(PICTURE_HEIGHT),
                                  "-b", "white", svg], check=True, capture_output=True).stdout
            target = os.path.join(OUT, "images", base + "." + ext)
            if ext == "png":
                with open(target, "wb") as f:
                    f.write(png)
            else:
                with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as tmp:
                    tmp.write(png_to_ppm(png))
                try:
                    jpg = subprocess.run(["cjpeg", "-quality", "85", "-optimize", tmp.name],
                                         check=True, capture_output=True).stdout
                finally:
                    os.unlink(tmp.name)
                with open(target, "wb") as f:
                    f.write(jpg)
            print("  %s" % os.path.relpath(target, ROOT))


# --- Guided tours -------------------------------------------------------------------------

TOUR_STOPS = (8, 15)


def tour_value(text):
    """A text as a tour file writes it: backslashes doubled, line breaks as \\n."""
    return text.strip().replace("\\", "\\\\").replace("\r\n", "\n").replace("\n", "\\n")


def tour_files(units):
    with open(os.path.join(SRC, "parcours.json"), encoding="utf-8") as f:
        tours = json.load(f)["parcours"]
    events = {Decimal(d): text for d, text, _ in read_events("terre.tsv")}
    bases = {u.name_fr: u.base for u in units}
    files = {}
    for tour in tours:
        name = tour["fichier"]
        if not (TOUR_STOPS[0] <= len(tour["etapes"]) <= TOUR_STOPS[1]):
            raise SystemExit("%s : %d étapes, il en faut de %d à %d" % ((name, len(tour["etapes"])) + TOUR_STOPS))
        lines = ["[Parcours]", "Titre=" + tour_value(tour["titre"])]
        for key, field in (("Auteur", "auteur"), ("Description", "description")):
            if tour.get(field):
                lines.append("%s=%s" % (key, tour_value(tour[field])))
        for n, stop in enumerate(tour["etapes"], 1):
            if "evenement" in stop:
                date = Decimal(stop["evenement"])
                if date not in events:
                    raise SystemExit("%s, étape %d : aucun événement à %s Ma dans terre.tsv" % (name, n, date))
            elif stop.get("base") in bases:
                date = -bases[stop["base"]]
            else:
                raise SystemExit("%s, étape %d : ni événement ni unité de la charte" % (name, n))
            if not (DIAL_MIN <= date <= DIAL_MAX) or not stop.get("titre"):
                raise SystemExit("%s, étape %d : date hors des cadrans ou titre vide" % (name, n))
            lines += ["", "[Etape %d]" % n, "Date=" + format(date, "f").replace(".", ","),
                      "Titre=" + tour_value(stop["titre"])]
            if stop.get("texte"):
                lines.append("Texte=" + tour_value(stop["texte"]))
        files["Parcours/" + name] = ("\r\n".join(lines) + "\r\n").encode("utf-8")
    return files


# --- Driver --------------------------------------------------------------------------------

def build(args):
    units = read_chart(os.path.join(SRC, "ics-chart.tsv"))
    subjects, by_unit = read_subjects(units)
    files = {}
    full = finest_units(units, "stage")
    simple = finest_units(units, "system")
    files["Echelle.ini"] = scale_ini(full, by_unit, "Echelle chronostratigraphique internationale, édition %s : "
                                    "unités les plus fines" % CHART_EDITION)
    files["Echelle_simple.ini"] = scale_ini(simple, by_unit, "Echelle simplifiée de la charte %s : éons, ères et périodes"
                                           % CHART_EDITION)
    for ini, tsv in EVENT_SOURCES.items():
        files[ini] = events_ini(read_events(tsv))
    files["Donnees.ini"] = index_ini()
    files["Couleurs.ini"] = colours_ini(units)
    files["Echelle_geol.dat"] = gauge_bmp(full)
    files.update(tour_files(units))
    try:
        import gen_docs  # documents, help and credits
        files.update(gen_docs.build(units, full, subjects, by_unit, sys.modules[__name__]))
    except ImportError as e:
        if e.name != "gen_docs":
            raise
    return files, subjects


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--pictures", action="store_true", help="render the SVG drawings too")
    parser.add_argument("--check", action="store_true", help="compare with data/ instead of writing")
    args = parser.parse_args()
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    files, subjects = build(args)
    stale = []
    for name, content in sorted(files.items()):
        path = os.path.join(OUT, name)
        old = open(path, "rb").read() if os.path.exists(path) else None
        if old == content:
            continue
        if args.check:
            stale.append(name)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)
        print("  data/%s" % name)
    if args.check:
        if stale:
            raise SystemExit("data/ n'est pas à jour : " + ", ".join(stale))
        print("data/ est à jour")
    elif args.pictures:
        render_pictures(subjects)


if __name__ == "__main__":
    main()
