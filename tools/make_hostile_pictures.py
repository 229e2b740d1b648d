#!/usr/bin/env python3
"""Writes the hostile picture files that once made a decoder hang or allocate
far more than the picture is drawn at (a few bytes declaring a huge picture,
counts beyond the data, rows that share their data).

    tools/make_hostile_pictures.py [--issue-sizes] [output folder]

The default folder is tests/fuzz/reproducers/picture. Without --issue-sizes
the legal but slow files (SGI rows sharing their data, an interlaced PNG) are
made smaller so that replaying them stays quick; the other files are the same.
The extension of each file picks the format, as in the program."""

import os
import struct
import sys
import zlib


def png_chunk(kind, data, length=None):
    body = kind + data
    return (struct.pack(">I", len(data) if length is None else length) + body +
            struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF))


def png_text_chunk_huge():
    # 127 bytes: a 1 x 1 picture, then a text chunk that claims 1.3 GB.
    ihdr = png_chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0))
    head = b"\x89PNG\r\n\x1a\n" + ihdr + struct.pack(">I", 0x50000000) + b"tEXt" + b"Comment\0"
    return head + b"A" * (127 - len(head))


def png_interlaced(w, h):
    # A legal interlaced 1-bit grey picture of w x h, all black: a few KB of
    # compressed rows for a picture of w * h pixels.
    raw = bytearray()
    for x0, y0, dx, dy in [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4),
                                          (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]:
        cols = (w - x0 + dx - 1) // dx
        rows = (h - y0 + dy - 1) // dy
        if cols and rows:
            raw += (b"\0" + b"\0" * ((cols + 7) // 8)) * rows
    ihdr = png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 1, 0, 0, 0, 1))
    return (b"\x89PNG\r\n\x1a\n" + ihdr + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            png_chunk(b"IEND", b""))


def psd_counts_beyond_data():
    # 98 KB: 16384 x 8192 CMYK, 16 bits, packed rows whose counts add up to
    # far more than the file holds.
    w, h, channels = 16384, 8192, 4
    head = b"8BPS" + struct.pack(">H6xHIIHH", 1, channels, h, w, 16, 4)
    head += struct.pack(">III", 0, 0, 0) + struct.pack(">H", 1)
    rows = h * channels
    return head + struct.pack(">H", 256) * rows + b"\0" * rows


def sgi_shared_rows(w, h, channels):
    # Legal: run-length rows that all point at the same data.
    head = struct.pack(">HBBHHHH", 474, 1, 1, 3, w, h, channels) + struct.pack(">III", 0, 255, 0)
    head = head.ljust(104, b"\0") + struct.pack(">I", 0)
    head = head.ljust(512, b"\0")
    row = b""
    left = w
    while left:
        n = min(left, 127)
        row += bytes([n, 200])
        left -= n
    row += b"\0"
    rows = h * channels
    start = 512 + rows * 8
    return head + struct.pack(">I", start) * rows + struct.pack(">I", len(row)) * rows + row


def rle_bitmap(bits, compression, w, h):
    # 45 bytes: a bitmap info header, one palette entry, one byte of data.
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, compression, 0, 0, 0, 1, 0)
    return info + b"\x10\x20\x30\0" + b"\x05"


def ico_rle_bitmap():
    # An icon whose bitmap claims 16384 x 8192 pixels (the header counts the
    # mask rows too) in a few bytes of runs.
    bitmap = rle_bitmap(8, 1, 16384, 16384)
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 8, len(bitmap), 22) + bitmap


def lzw_encode(pixels, min_code_size):
    # Plain GIF LZW with a clear code first and an end code last.
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    table = {bytes([i]): i for i in range(clear)}
    next_code, size = end + 1, min_code_size + 1
    out, acc, nbits = bytearray(), 0, 0

    def emit(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    emit(clear)
    w = b""
    for p in pixels:
        wc = w + bytes([p])
        if wc in table:
            w = wc
            continue
        emit(table[w])
        if next_code < 4096:
            table[wc] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        w = bytes([p])
    if w:
        emit(table[w])
    emit(end)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif_sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        part = data[i:i + 255]
        out += bytes([len(part)]) + part
    return bytes(out) + b"\0"


def gif_large_screen():
    # Legal: a 16 x 16 frame on a 16384 x 8192 screen.
    colours = b"".join(bytes([i * 8, 255 - i * 8, 100]) for i in range(32))
    head = b"GIF89a" + struct.pack("<HHBBB", 16384, 8192, 0x84, 0, 0) + colours
    frame = b"," + struct.pack("<HHHHB", 0, 0, 16, 16, 0)
    pixels = bytes((x + y) % 32 for y in range(16) for x in range(16))
    return head + frame + bytes([5]) + gif_sub_blocks(lzw_encode(pixels, 5)) + b";"


def gif_huge_frame():
    # 40 bytes: a 16384 x 8192 frame with 13 bytes of data.
    head = b"GIF89a" + struct.pack("<HHBBB", 16384, 8192, 0, 0, 0)
    frame = b"," + struct.pack("<HHHHB", 0, 0, 16384, 8192, 0)
    return head + frame + bytes([2, 13]) + bytes(13) + b"\0;"


def jpeg_progressive_huge():
    # A progressive grey 16384 x 8192 picture: its coefficients alone would
    # take 256 MB; a few bytes of the first scan follow.
    dqt = b"\xFF\xDB" + struct.pack(">H", 67) + b"\0" + b"\1" * 64
    sof = b"\xFF\xC2" + struct.pack(">HBHHB", 11, 8, 8192, 16384, 1) + b"\x01\x11\x00"
    dht = b"\xFF\xC4" + struct.pack(">H", 20) + b"\x00" + b"\x01" + b"\0" * 15 + b"\x00"
    sos = b"\xFF\xDA" + struct.pack(">HB", 8, 1) + b"\x01\x00" + b"\x00\x00\x00"
    return b"\xFF\xD8" + dqt + sof + dht + sos + b"\0" * 64


def tiff_huge_strip():
    # A 16384 x 8192 RGB picture in one LZW strip of 16 bytes.
    entries = [(256, 4, 1, 16384), (257, 4, 1, 8192), (258, 3, 1, 8), (259, 3, 1, 5),
               (262, 3, 1, 2), (273, 4, 1, 0), (277, 3, 1, 3), (278, 4, 1, 8192),
               (279, 4, 1, 16), (284, 3, 1, 1)]
    ifd_size = 2 + 12 * len(entries) + 4
    data_at = 8 + ifd_size
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if tag == 273:
            value = data_at
        if kind == 3:
            ifd += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            ifd += struct.pack("<HHII", tag, kind, count, value)
    ifd += struct.pack("<I", 0)
    return b"II*\0" + struct.pack("<I", 8) + ifd + b"\x80" + b"\0" * 15


def main():
    args = sys.argv[1:]
    issue_sizes = "--issue-sizes" in args
    args = [a for a in args if a != "--issue-sizes"]
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = args[0] if args else os.path.join(root, "tests", "fuzz", "reproducers", "picture")
    os.makedirs(out, exist_ok=True)
    files = {
        "png-text-chunk-1300MB.png": png_text_chunk_huge(),
        "png-interlaced-large.png": (png_interlaced(16384, 8192) if issue_sizes else png_interlaced(2048, 2048)),
        "psd-counts-beyond-data.psd": psd_counts_beyond_data(),
        "sgi-rows-sharing-data.sgi": (sgi_shared_rows(16384, 8192, 4) if issue_sizes
                                      else sgi_shared_rows(2048, 2048, 4)),
        "rle8-45-bytes-16384x8192.rle": rle_bitmap(8, 1, 16384, 8192),
        "rle4-45-bytes-16384x4800.rle": rle_bitmap(4, 2, 16384, 4800),
        "ico-rle8-bitmap-16384x8192.ico": ico_rle_bitmap(),
        "gif-frame-on-16384x8192-screen.gif": gif_large_screen(),
        "gif-40-bytes-16384x8192.gif": gif_huge_frame(),
        "jpeg-progressive-16384x8192.jpg": jpeg_progressive_huge(),
        "tiff-16384x8192-one-short-strip.tif": tiff_huge_strip(),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
