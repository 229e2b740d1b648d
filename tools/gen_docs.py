"""Documents of the periods, the help page and the credits, for tools/gen_data.py.

Each period (subject of data-src/periodes.json) gets two HTML pages, docs/<key>_bio.html and
docs/<key>_paleo.html, in French: the period's colour, dates and place in the chart, its two
pictures, the text of data-src/textes.json and the events of data-src/events/ that fall within
it, each once although the event sets overlap. The help page Aevorium.html is data-src/aide.html
with the list of data sets filled in; Credits.rtf is written here in RTF 1.x with Windows-1252 escapes.
"""

import csv
import html
import json
import os
from decimal import Decimal

PAGE = """<!DOCTYPE html>
<html lang="fr">
<head>
<meta charset="utf-8">
<title>{title}</title>
<link rel="stylesheet" href="style.css">
</head>
<body>
<header style="background:{colour};color:{ink}">
<p class="where">{where}</p>
<h1>{name}</h1>
<p class="when">{when}</p>
</header>
<nav>{nav}</nav>
<main>
<figure class="main"><img src="../images/{picture}" width="632" height="352" alt="{caption}"><figcaption>{caption}</figcaption></figure>
<h2>{heading}</h2>
{text}
{events}
{subdivisions}
<aside><a href="{other_page}"><img src="../images/{other_picture}" width="158" height="88" alt="{other_caption}"></a>
<p><a href="{other_page}">{other_heading}</a> : {other_caption}</p></aside>
</main>
<footer>Aevorium &mdash; dates et couleurs : Charte chronostratigraphique internationale (ICS, v2024/12), couleurs CGMW.
<a href="../Aevorium.html">Aide d'Aevorium</a></footer>
</body>
</html>
"""

STYLE = """body { font-family: "Liberation Sans", Arial, sans-serif; margin: 0; background: #f4f1ea; color: #222; }
header { padding: 14px 24px; border-bottom: 4px solid rgba(0,0,0,.25); }
header h1 { margin: 4px 0; font-size: 2.2em; }
header p { margin: 0; }
nav { background: #008080; padding: 6px 24px; }
nav a { color: #fff; margin-right: 18px; text-decoration: none; }
nav a.here { font-weight: bold; text-decoration: underline; }
main { max-width: 860px; padding: 8px 24px 24px; }
figure.main { margin: 16px 0; }
figure.main img { max-width: 100%; height: auto; border: 2px solid #555; }
figcaption { font-style: italic; color: #444; }
h2 { border-bottom: 2px solid #008080; color: #005f5f; }
p { line-height: 1.5; }
ul.events li { margin: 3px 0; }
.date { font-weight: bold; white-space: nowrap; }
aside { margin-top: 24px; padding: 8px; background: #e7e2d6; border-radius: 6px; }
aside img { float: left; margin-right: 12px; border: 1px solid #555; }
aside::after { content: ""; display: block; clear: both; }
footer { font-size: .85em; color: #555; padding: 12px 24px; border-top: 1px solid #ccc; }
"""


def fr_number(value):
    """A number in French: comma for the decimal point, thin spaces between thousands."""
    d = Decimal(value).normalize()
    text = format(d, "f")
    whole, _, frac = text.partition(".")
    sign = "-" if whole.startswith("-") else ""
    whole = whole.lstrip("-")
    groups = []
    while len(whole) > 3:
        groups.insert(0, whole[-3:])
        whole = whole[:-3]
    groups.insert(0, whole)
    return sign + "\u202f".join(groups) + ("," + frac if frac else "")


def age_text(ma):
    """A date before the present, in words."""
    ma = Decimal(ma)
    if ma == 0:
        return "aujourd'hui"
    if ma < Decimal("0.01"):
        return "il y a %s ans" % fr_number((ma * 1000000).quantize(Decimal(1)))
    if ma < 1:
        return "il y a %s ans" % fr_number((ma * 1000000).quantize(Decimal(1000)))
    return "il y a %s d'années" % amount(ma)


def amount(ma):
    """A number of years given in Ma, in words: "4,54 milliards", "1,8 milliard", "66 millions"."""
    if ma >= 1000:
        v = (ma / 1000).normalize()
        return "%s milliard%s" % (fr_number(v), "s" if v >= 2 else "")
    return "%s million%s" % (fr_number(ma), "s" if ma >= 2 else "")


def span_text(start, end):
    """The span of a period: "Il y a 538,8 à 486,85 millions d'années"."""
    if end == 0:
        return "De %s à aujourd'hui" % age_text(start).replace("il y a ", "")
    a, b = amount(start), amount(end)
    if a.split(" ")[1].rstrip("s") == b.split(" ")[1].rstrip("s"):
        a = a.split(" ")[0]
    return "Il y a %s à %s d'années" % (a, b)


def ink_for(rgb):
    r, g, b = rgb
    return "#000" if (0.299 * r + 0.587 * g + 0.114 * b) > 140 else "#fff"


def paragraphs(text):
    return "\n".join("<p>%s</p>" % html.escape(p.strip(), quote=False) for p in text.split("\n\n") if p.strip())


def read_all_events(src):
    """Every event of every event source once, oldest first.

    The event sets overlap: an event found in several files with the same text is listed once,
    and an event whose column same_as names another file stands for that file's event at the
    same date, which is listed instead."""
    folder = os.path.join(src, "events")
    rows = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".tsv"):
            with open(os.path.join(folder, name), encoding="utf-8", newline="") as f:
                rows[name] = list(csv.DictReader(f, delimiter="\t"))
    dates, events = {}, []
    for name, file_rows in rows.items():
        for r in file_rows:
            date, text, same = Decimal(r["date_ma"]), r["text_fr"].strip(), (r.get("same_as") or "").strip()
            if same:
                twins = [t for t in rows.get(same, []) if Decimal(t["date_ma"]) == date]
                if len(twins) != 1 or (twins[0].get("same_as") or "").strip():
                    raise SystemExit("%s : same_as %s à la date %s : il faut là un seul événement, sans same_as" % (name, same, date))
                continue
            if text in dates:
                if dates[text] != date:
                    raise SystemExit("%s : même texte à deux dates : %s" % (name, text))
                continue
            dates[text] = date
            events.append((date, text))
    events.sort()
    return events


# The labels some texts of events at the present start with, which the date "Aujourd'hui"
# already says on the pages.
PRESENT_LABELS = ("Aujourd'hui : ", "Présent : ", "Présent ; ")


def page_event_text(date, text):
    """The text of an event on a page, after its date."""
    if date == 0:
        for label in PRESENT_LABELS:
            if text.startswith(label):
                rest = text[len(label):]
                return rest[:1].upper() + rest[1:]
    return text


def subject_spans(simple_rows, by_unit, gen):
    """(start, end) in Ma before present of each subject, from the rows of the simplified scale."""
    spans = {}
    for i, u in enumerate(simple_rows):
        key = gen.subject_of(u, by_unit)["key"]
        end = simple_rows[i + 1].base if i + 1 < len(simple_rows) else Decimal(0)
        start = u.base
        if key in spans:
            spans[key] = (max(spans[key][0], start), min(spans[key][1], end))
        else:
            spans[key] = (start, end)
    return spans


def build(units, full_rows, subjects, by_unit, gen):
    src = gen.SRC
    with open(os.path.join(src, "textes.json"), encoding="utf-8") as f:
        texts = json.load(f)
    simple_rows = gen.finest_units(units, "system")
    spans = subject_spans(simple_rows, by_unit, gen)
    events = read_all_events(src)
    by_name = {u.name_en: u for u in units}
    order = [k for k in subjects]  # oldest first, as in periodes.json
    order.sort(key=lambda k: -spans[k][0])
    files = {"docs/style.css": STYLE.encode("utf-8")}
    for idx, key in enumerate(order):
        s = subjects[key]
        if key not in texts:
            raise SystemExit("pas de texte pour %s dans textes.json" % key)
        main_units = [by_name[n] for n in s["unites"]]
        first = main_units[0]
        # The unit whose colour and context head the page: the system, or the eon for the
        # Hadean and the Archean.
        head = first if first.rank in ("system", "eon") else first.parent
        chain = head.ancestry()
        where = " · ".join(chain[r].name_fr for r in ("eon", "era") if r in chain and chain[r] is not head)
        start, end = spans[key]
        when = span_text(start, end)
        bio_pic, paleo_pic = gen.picture_files(s)
        bio_doc, paleo_doc = gen.doc_files(s)
        # The oldest page also takes the events before its start (the first solids of the
        # Solar System, older than the base of the Hadean).
        in_span = [(d, t) for d, t in events
                   if (-start <= d or idx == 0) and (d < -end or (end == 0 and d == 0))]
        ev_html = ""
        if in_span:
            ev_html = '<h2>Grands événements</h2>\n<ul class="events">\n' + "\n".join(
                '<li><span class="date">%s</span> : %s</li>' % (
                    html.escape(age_text(-d).capitalize(), quote=False), html.escape(page_event_text(d, t), quote=False))
                for d, t in in_span) + "\n</ul>"
        children = sorted((c for u in main_units for c in u.children), key=lambda c: -c.base)
        if head.rank == "eon" and len(main_units) > 1:
            children = main_units
        sub_html = ""
        if children:
            sub_html = "<h2>Subdivisions</h2>\n<p>%s</p>" % html.escape(" ; ".join(
                "%s (%s)" % (c.name_fr, age_text(c.base).replace("il y a ", "depuis ")) for c in children), quote=False)
        prev_key = order[idx - 1] if idx > 0 else None
        next_key = order[idx + 1] if idx + 1 < len(order) else None
        for kind in ("bio", "paleo"):
            this_page = os.path.basename(bio_doc if kind == "bio" else paleo_doc)
            other_page = os.path.basename(paleo_doc if kind == "bio" else bio_doc)
            nav = ['<a href="%s_bio.html"%s>Ce qui vivait</a>' % (key, ' class="here"' if kind == "bio" else ""),
                   '<a href="%s_paleo.html"%s>Les fossiles</a>' % (key, ' class="here"' if kind == "paleo" else "")]
            if prev_key:
                nav.append('<a href="%s_%s.html">&larr; %s</a>' % (prev_key, kind, html.escape(subjects[prev_key]["titre"])))
            if next_key:
                nav.append('<a href="%s_%s.html">%s &rarr;</a>' % (next_key, kind, html.escape(subjects[next_key]["titre"])))
            page = PAGE.format(
                title=html.escape("%s — %s" % (s["titre"], "la vie" if kind == "bio" else "les fossiles")),
                colour="#%02X%02X%02X" % head.rgb, ink=ink_for(head.rgb),
                where=html.escape(where or "Éon du Précambrien", quote=False), name=html.escape(s["titre"]), when=html.escape(when, quote=False),
                nav=" ".join(nav),
                picture=os.path.basename(bio_pic if kind == "bio" else paleo_pic),
                caption=html.escape(s["label" + kind], quote=False),
                heading="Ce qui vivait" if kind == "bio" else "Les fossiles",
                text=paragraphs(texts[key][kind]),
                events=ev_html, subdivisions=sub_html,
                other_page=other_page,
                other_picture=os.path.basename(paleo_pic if kind == "bio" else bio_pic),
                other_caption=html.escape(s["labelpaleo" if kind == "bio" else "labelbio"]),
                other_heading="Les fossiles" if kind == "bio" else "Ce qui vivait")
            files["docs/" + this_page] = page.encode("utf-8")
    files["Aevorium.html"] = help_page(src, gen)
    files["Credits.rtf"] = credits_rtf()
    return files


def help_page(src, gen):
    with open(os.path.join(src, "aide.html"), encoding="utf-8") as f:
        page = f.read()
    items = "\n".join("<li><b>%s</b> : échelle <code>%s</code>, événements <code>%s</code></li>"
                      % (html.escape(n), html.escape(s), html.escape(e)) for n, s, e in gen.DATA_SETS)
    return page.replace("<!--JEUX-->", items).encode("utf-8")


def rtf_escape(text):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 128:
            out.append(ch)
        else:
            b = ch.encode("cp1252")
            out.append("\\'%02x" % b[0])
    return "".join(out)


CREDITS = [
    ("title", "Aevorium"),
    ("small", "Version 2.3.2"),
    ("head", "Données géologiques"),
    ("par", "Échelle : Charte chronostratigraphique internationale, Commission internationale de stratigraphie (ICS), version 2024/12."),
    ("par", "Noms français : édition française de la charte."),
    ("par", "Couleurs : codes de la Commission de la carte géologique du monde (CGMW)."),
    ("par", "Événements : publications scientifiques (liste dans les sources du projet)."),
    ("par", "Dessins et textes : originaux, réalisés pour Aevorium."),
    ("head", "Logiciels libres utilisés"),
    ("par", "Qt 6 (LGPL v3) ; libjpeg-turbo (licences IJG et BSD) ; libpng (licence libpng) ; zlib (licence zlib) ; giflib (MIT) ; libtiff (licence libtiff) ; polices Liberation (SIL OFL 1.1)."),
]


def credits_rtf():
    lines = ["{\\rtf1\\ansi\\ansicpg1252\\deff0",
             "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}",
             "{\\colortbl ;\\red0\\green96\\blue96;}",
             "\\viewkind4\\uc1\\pard\\sa60\\f0\\fs16"]
    for kind, text in CREDITS:
        t = rtf_escape(text)
        if kind == "title":
            lines.append("\\pard\\qc\\sa0\\b\\fs24 %s\\b0\\fs16\\par" % t)
        elif kind == "small":
            lines.append("\\pard\\qc\\sa120 %s\\par" % t)
        elif kind == "head":
            lines.append("\\pard\\sb80\\sa40\\cf1\\b %s\\b0\\cf0\\par" % t)
        else:
            lines.append("\\pard\\sa40 %s\\par" % t)
    lines.append("}")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")
