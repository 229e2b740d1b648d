#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets (tests/fuzz/corpus/<target>/) and
the reproducers of known faults of the data files (tests/fuzz/reproducers/).

Every seed is a small valid input the fuzzer starts from. Picture seeds begin
with one byte that picks the extension (its index in kFuzzPictureExtensions of
tests/fuzz/FuzzPicture.h). Only the files named here are written; other files
in those folders (reproducers dropped by hand) are left alone.

    python3 tools/make_fuzz_corpus.py
"""
import os
import re
import shutil
import struct
import subprocess
import tempfile
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fuzz")


def put(kind, target, name, data):
    folder = os.path.join(ROOT, kind, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("cp1252")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def picture_extensions():
    with open(os.path.join(ROOT, "FuzzPicture.h")) as f:
        text = f.read()
    table = text[text.index("kFuzzPictureExtensions[]"):]
    table = table[:table.index("};")]
    return re.findall(r'"([a-z0-9]+)"', table)


# ---- text inputs -----------------------------------------------------------

def ini_seeds():
    put("corpus", "ini", "basic.ini", "; commentaire\r\n[A]\r\nk=1\r\nq=\"entre guillemets\"\r\n\r\n[B]\r\nx = y \r\n")
    put("corpus", "ini", "lf-only.ini", "[A]\nk=1\n; note\n[B]\nq=3")
    put("corpus", "ini", "duplicates.ini", "[S]\r\nKey=1\r\nkey=2\r\n[s]\r\nkey=3\r\n[ S ]\r\n")
    put("corpus", "ini", "nul.ini", b"[A\0B]\r\nk=v\0w\r\n[C]\r\n\0\r\n")
    put("corpus", "ini", "index.ini", "[Terre]\r\nEchelle=Echelle.ini\r\nEvenement=Evenement.ini\r\n"
        "[Vie]\r\nEchelle=vie/Echelle.ini\r\nEvenement=vie/Evenement.ini\r\n")
    put("corpus", "ini", "preamble.ini", "sans section\r\n=vide\r\n[]\r\n[ouvert\r\n[ok] reste\r\nk=\xe9t\xe9\r\n")


def number_seeds():
    texts = ["-4550", "-541,0", "12,5", "1,5e3", "  12", ".5", "1.2.3", "1,2,3", "12 ", "abc", "-", "+7",
             "-0,001", "3E-2", "1e", "1,", " -65,500", "1e999", "1e-999", "0.000000000000000000001e-300"]
    for i, t in enumerate(texts):
        put("corpus", "number", "n%02d" % i, t)


def scale_seeds():
    put("corpus", "scale", "small.ini",
        "[-66]\r\neon=Phanérozoïque\r\nere=Cénozoïque\r\nsysteme=Paléogène\r\ncouleur=$00A0C0F0\r\n"
        "imagebio=images/a.png\r\n\r\n[-4550]\r\neon=Hadéen\r\ncouleur=12345\r\n"
        "[-541]\r\neon=Phanérozoïque\r\nlabelbio=Trilobites\r\nlienbio=doc/a.html\r\n[0]\r\netage=Actuel\r\n")
    put("corpus", "scale", "equal-values.ini", "[-541]\r\nserie=a\r\n[-541,0]\r\nserie=b\r\n[-4550]\r\n[x]\r\n[-1]\r\n")


def event_seeds():
    put("corpus", "events", "basic.aev", "[-65,000]\r\nEvenement=Extinction des dinosaures\r\n"
        "[-4550,000]\r\nEvenement=Formation de la Terre\r\n[12,250]\r\nEvenement=\r\n")
    put("corpus", "events", "hand-made.aev", "; fait main\n[Notes]\nAuteur=moi\n[-1.5]\nevenement='point'\n"
        "[-65,000]\nEvenement=doublon\n[-65,000]\nEvenement=second")
    # Several texts at one date, a gap in the numbers, keys that only look numbered.
    put("corpus", "events", "several-texts.aev", "[-66,000]\r\nEvenement=A\r\nEvenement3=C\r\n; note\r\n"
        "Evenement2=B\r\nEvenement02=autre\r\n\r\n[-0,0117]\r\nEvenement2=seul\r\n[-66,000]\r\nEvenement=D\r\n")


def tour_seeds():
    put("corpus", "tour", "basic.aevp", "\ufeff[Parcours]\r\nTitre=Les extinctions\r\nAuteur=moi\r\n\r\n"
        "[Etape 1]\r\nDate=-443,8\r\nTitre=Fin de l'Ordovicien\r\nTexte=Une glaciation.\\nSuite \\\\ fin\r\n"
        "Donnees=Echelle simplifiée\r\nAutre=gardé\r\n[Etape 2]\r\nDate=66 Ma\r\nTitre=K-Pg\r\n".encode("utf-8"))
    put("corpus", "tour", "hand-made.aevp", "; fait main\n[etape 3]\ndate = 2,5 ga\ntitre=Trois\n[Étape 1]\n"
        "Date=+10\nTitre=Futur\n[Notes]\nA=b\n".encode("utf-8"))


def rtf_seeds():
    put("corpus", "rtf", "plain.rtf", r"{\rtf1\ansi Bonjour \b gras\b0  et \i italique\i0 .\par}")
    put("corpus", "rtf", "tables.rtf",
        r"{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\froman Times New Roman;}}"
        r"{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}"
        r"\pard\qc\f1\fs28\cf1 Cr\'e9dits\par\pard\li360\fi-360\tx720\cf2 un\tab deux\line trois\par"
        r"\ul soulign\'e9\ulnone\strike barr\'e9\strike0 x\super 2\nosupersub  \u8364?\par}")
    put("corpus", "rtf", "skipped.rtf",
        r"{\rtf1{\*\generator x;}{\info{\title t}}{\pict\pngblip 89504e47}{\field{\*\fldinst HYPERLINK}"
        r"{\fldrslt lien}}{\header en-t\'eate}Texte\par}")
    put("corpus", "rtf", "not-rtf.txt", "Texte brut, accentué\r\n")


# ---- pictures ----------------------------------------------------------------

W, H = 4, 3
PIXELS = [[((x * 60) & 255, (y * 80) & 255, ((x + y) * 40) & 255) for x in range(W)] for y in range(H)]


def bmp24():
    rows = b""
    for y in range(H - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in PIXELS[y])
        rows += row + b"\0" * ((4 - len(row) % 4) % 4)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(rows), 0, 0, 54) + info + rows


def bmp_rle8():
    palette = b"".join(bytes((i * 60 & 255, i * 30 & 255, i * 90 & 255, 0)) for i in range(4))
    data = b""
    for y in range(H):
        data += bytes((2, y % 4, 2, (y + 1) % 4)) + b"\0\0"  # two runs, end of line
    data += b"\0\1"  # end of bitmap
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 1, len(data), 0, 0, 4, 0)
    off = 14 + 40 + len(palette)
    return b"BM" + struct.pack("<IHHI", off + len(data), 0, 0, off) + info + palette + data


def ico():
    xor = b""
    for y in range(H - 1, -1, -1):
        xor += b"".join(bytes((b, g, r, 255)) for (r, g, b) in PIXELS[y])
    andmask = b"\0\0\0\0" * H
    info = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = info + xor + andmask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 32, len(image), 22) + image


def png():
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in PIXELS)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
            + chunk(b"tEXt", b"Comment\0graine") + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def gif():
    # Two colours; a clear code before every pixel keeps every code 3 bits wide.
    codes = []
    for y in range(H):
        for x in range(W):
            codes += [4, (x + y) & 1]
    codes.append(5)
    bits, nbits, out = 0, 0, bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += 3
        while nbits >= 8:
            out.append(bits & 255)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 255)
    data = bytes((len(out),)) + bytes(out) + b"\0"
    return (b"GIF89a" + struct.pack("<HHBBB", W, H, 0x80, 0, 0) + b"\xff\0\0\0\0\xff"
            + b"\x2c" + struct.pack("<HHHHB", 0, 0, W, H, 0) + b"\x02" + data + b";")


def tiff():
    strip = b"".join(bytes(p) for row in PIXELS for p in row)
    entries = [(256, 3, 1, W), (257, 3, 1, H), (258, 3, 3, 0), (259, 3, 1, 1), (262, 3, 1, 2),
               (273, 4, 1, 0), (277, 3, 1, 3), (278, 3, 1, H), (279, 4, 1, len(strip))]
    ifd_size = 2 + 12 * len(entries) + 4
    bps_off = 8 + ifd_size
    strip_off = bps_off + 6
    ifd = struct.pack("<H", len(entries))
    for tag, typ, count, value in entries:
        if tag == 258:
            value = bps_off
        if tag == 273:
            value = strip_off
        if typ == 3 and count == 1:
            ifd += struct.pack("<HHIHH", tag, typ, count, value, 0)
        else:
            ifd += struct.pack("<HHII", tag, typ, count, value)
    ifd += struct.pack("<I", 0)
    return b"II*\0" + struct.pack("<I", 8) + ifd + struct.pack("<HHH", 8, 8, 8) + strip


def tga():
    body = b""
    for y in range(H - 1, -1, -1):
        body += b"".join(bytes((b, g, r)) for (r, g, b) in PIXELS[y])
    return struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, W, H, 24, 0) + body


def tga_rle():
    body = b""
    for y in range(H - 1, -1, -1):
        r, g, b = PIXELS[y][0]
        body += bytes((0x80 | (W - 1), b, g, r))
    return struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, W, H, 24, 0) + body


def pcx():
    bpl = W + (W & 1)
    header = struct.pack("<BBBBHHHHHH", 10, 5, 1, 8, 0, 0, W - 1, H - 1, 72, 72) + b"\0" * 48
    header += struct.pack("<BBHH", 0, 1, bpl, 1) + b"\0" * 58
    data = b""
    for y in range(H):
        for x in range(bpl):
            v = (x + y * 7) & 255
            data += bytes((0xC1, v)) if v >= 0xC0 else bytes((v,))
    palette = b"\x0c" + b"".join(bytes((i, 255 - i, i // 2)) for i in range(256))
    return header + data + palette


def sgi(channels=3):
    header = struct.pack(">hbbHHHHii", 474, 0, 1, 3, W, H, channels, 0, 255) + b"\0" * 4 + b"graine".ljust(80, b"\0")
    header += struct.pack(">i", 0)
    header = header.ljust(512, b"\0")
    planes = b""
    for c in range(channels):
        for y in range(H - 1, -1, -1):
            planes += bytes(PIXELS[y][x][c % 3] for x in range(W))
    return header + planes


def pnm(kind):
    if kind == "ppm":
        return b"P6\n# graine\n%d %d\n255\n" % (W, H) + b"".join(bytes(p) for row in PIXELS for p in row)
    if kind == "pgm":
        return b"P5 %d %d 255\n" % (W, H) + bytes(p[0] for row in PIXELS for p in row)
    return b"P4\n%d %d\n" % (W, H) + bytes((0b10100000,) * H)


def psd():
    header = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, H, W, 8, 3)
    planes = b"".join(bytes(PIXELS[y][x][c] for y in range(H) for x in range(W)) for c in range(3))
    return header + struct.pack(">III", 0, 0, 0) + struct.pack(">H", 0) + planes


def jpeg():
    if not shutil.which("cjpeg"):
        return None
    with tempfile.TemporaryDirectory() as d:
        src = os.path.join(d, "a.ppm")
        with open(src, "wb") as f:
            f.write(pnm("ppm"))
        return subprocess.run(["cjpeg", "-quality", "80", src], check=True, capture_output=True).stdout


def eps():
    preview = tiff()
    postscript = b"%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 4 3\n"
    head = b"\xc5\xd0\xd3\xc6" + struct.pack("<IIIIIIH", 30, len(postscript), 0, 0, 30 + len(postscript),
                                              len(preview), 0xFFFF)
    return head + postscript + preview


def picture_seeds():
    ext = picture_extensions()
    seeds = {
        "bmp": [("24bit", bmp24())], "rle": [("rle8", bmp_rle8())], "dib": [("24bit", bmp24())],
        "ico": [("32bit", ico())], "png": [("rgb", png())], "gif": [("two-colours", gif())],
        "tif": [("rgb", tiff())], "tga": [("raw", tga()), ("rle", tga_rle())], "pcx": [("256", pcx())],
        "sgi": [("rgb", sgi(3))], "bw": [("grey", sgi(1))], "psd": [("rgb", psd())],
        "ppm": [("p6", pnm("ppm"))], "pgm": [("p5", pnm("pgm"))], "pbm": [("p4", pnm("pbm"))],
        "eps": [("tiff-preview", eps())],
    }
    j = jpeg()
    if j:
        seeds["jpg"] = [("baseline", j)]
    for name, items in seeds.items():
        for label, data in items:
            put("corpus", "picture", "%s-%s" % (name, label), bytes((ext.index(name),)) + data)


# ---- reproducers of faults found in the data files ----------------------------

def reproducers():
    # Digits that overflow before a negative exponent read as 0 instead of infinity.
    put("reproducers", "number", "overflow-before-negative-exponent", "1" + "0" * 400 + "e-10")
    put("reproducers", "number", "negative-overflow-before-negative-exponent", "-1" + "0" * 400 + "e-10")
    # Blanks alone made the reader compute a pointer past the end.
    put("reproducers", "number", "blanks-only", "     ")
    # A section without a name loaded as an event that could never be saved.
    put("reproducers", "events", "nameless-section.aev", "[]\r\nEvenement=sans date\r\n[-1,000]\r\nEvenement=un\r\n")
    put("reproducers", "events", "blank-name.aev", b"[ \0 ]\nEvenement=x\n[\r]\r\n")
    # A write-back turned LF into CR LF, added a last line break and dropped NUL bytes.
    put("reproducers", "ini", "lf-no-final-break.ini", "[A]\nk=1\n[B]\nq=3")
    put("reproducers", "ini", "nul-bytes.ini", b"[A]\r\nn=a\0b\r\nk=1\r\n")
    # A start date beyond a double written with a negative exponent.
    put("reproducers", "scale", "overflowing-start-date.ini",
        "[1" + "0" * 400 + "e-10]\r\neon=futur\r\n[-4550]\r\neon=Hadeen\r\n[0]\r\n")


if __name__ == "__main__":
    ini_seeds()
    number_seeds()
    scale_seeds()
    event_seeds()
    tour_seeds()
    rtf_seeds()
    picture_seeds()
    reproducers()
    os.makedirs(os.path.join(ROOT, "reproducers", "picture"), exist_ok=True)
    keep = os.path.join(ROOT, "reproducers", "picture", ".gitkeep")
    if not os.listdir(os.path.dirname(keep)):
        open(keep, "wb").close()
