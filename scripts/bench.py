#!/usr/bin/env python3
"""Times vorn-cli against cp, cat and ImageMagick on inputs made here, and
prints a table of ratios (the machine's speed drifts; ratios measured in the
same run do not). Called by scripts/bench after it has built the release
programs.

    scripts/bench.py BUILD_DIR [--runs N]
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib


def png(path, w, h, pixel):
    """Writes an RGB PNG whose pixel (x, y) is pixel(x, y)."""
    rows = bytearray()
    for y in range(h):
        rows.append(0)
        for x in range(w):
            rows += bytes(pixel(x, y))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 6)))
        f.write(chunk(b"IEND", b""))


def wad(path, textures, side=256):
    """A WAD2 of `textures` mip textures of side x side with their mip levels."""
    lumps = []
    seed = 1
    for t in range(textures):
        body = bytearray(struct.pack("<16sII", ("tex%d" % t).encode(), side, side))
        offsets = []
        level_data = bytearray()
        at = 40
        for level in range(4):
            s = side >> level
            offsets.append(at)
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            level_data += bytes(((seed >> 8) + i * 7) & 0xDF for i in range(s * s))
            at += s * s
        body += struct.pack("<4I", *offsets) + level_data
        lumps.append(("tex%d" % t, bytes(body)))
    out = bytearray(b"WAD2" + struct.pack("<ii", len(lumps), 0))
    directory = bytearray()
    for name, body in lumps:
        directory += struct.pack("<iiiBBBB16s", len(out), len(body), len(body), 0x44, 0, 0, 0, name.encode())
        out += body
    struct.pack_into("<i", out, 8, len(out))
    out += directory
    with open(path, "wb") as f:
        f.write(out)


def noise(x, y):
    """A colour that looks random: most pixels of a large image differ."""
    h = ((x * 73856093) ^ (y * 19349663)) * 2654435761 & 0xFFFFFFFF
    return (h >> 24, (h >> 16) & 255, (h >> 8) & 255)


def median_time(command, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        times.append(time.perf_counter() - start)
    times.sort()
    return times[len(times) // 2]


def compare(name, ours, theirs, runs, reference_name):
    """Alternates the two commands and reports the ratio of their medians."""
    a, b = [], []
    for _ in range(runs):
        a.append(median_time(ours, 1))
        b.append(median_time(theirs, 1))
    a.sort()
    b.sort()
    ratio = a[len(a) // 2] / b[len(b) // 2]
    print("| %-44s | %-12s | %6.2f |" % (name, reference_name, ratio))
    return ratio


def main():
    build = sys.argv[1]
    runs = 5
    if "--runs" in sys.argv:
        runs = int(sys.argv[sys.argv.index("--runs") + 1])
    cli = os.path.join(build, "bin", "vorn-cli")
    magick = shutil.which("convert")
    work = tempfile.mkdtemp(prefix="vorn-bench-")
    try:
        for n in (10, 100, 200, 1000):
            wad(os.path.join(work, "w%d.wad" % n), n)
        for side in (256, 1024, 2048):
            png(os.path.join(work, "noise%d.png" % side), side, side, noise)
            png(os.path.join(work, "smooth%d.png" % side), side, side,
                lambda x, y, s=side: (x * 255 // s, y * 255 // s, (x + y) * 127 // s))
        shutil.copy(os.path.join(build, "bin", "palette.lmp"), work)
        if magick:
            # The Quake palette as a 16 x 16 image, for ImageMagick's -remap.
            pal = open(os.path.join(work, "palette.lmp"), "rb").read()
            png(os.path.join(work, "palette.png"), 16, 16, lambda x, y: pal[(y * 16 + x) * 3:(y * 16 + x) * 3 + 3])

        print("| %-44s | %-12s | %6s |" % ("vorn-cli command", "against", "ratio"))
        print("|%s|%s|%s|" % ("-" * 46, "-" * 14, "-" * 8))
        w = lambda name: os.path.join(work, name)
        for n in (200, 1000):
            command = [cli, "convert", w("w%d.wad" % n), w("out.wad"), "--yes"]
            compare("convert %d-texture WAD2 to WAD2" % n, command, ["cp", w("w%d.wad" % n), w("copy.wad")], runs, "cp")
            # A save puts its file on disk before it reports success; so does
            # a copy with conv=fsync.
            compare("convert %d-texture WAD2 to WAD2" % n, command,
                    ["dd", "if=" + w("w%d.wad" % n), "of=" + w("copy.wad"), "bs=4M", "conv=fsync", "status=none"],
                    runs, "dd fsync")
        compare("info 1000-texture WAD2", [cli, "info", w("w1000.wad")], ["cat", w("w1000.wad")], runs, "cat")
        if magick:
            for kind in ("noise", "smooth"):
                compare("%s 1024^2 PNG to .lmp (Quake palette)" % kind, [cli, "convert", w("%s1024.png" % kind), w("o.lmp")],
                        [magick, w("%s1024.png" % kind), "-dither", "None", "-remap", w("palette.png"), w("o.bmp")],
                        runs, "IM -remap")
            for side in (1024, 2048):
                for ext in ("tga", "bmp"):
                    compare("noise %d^2 PNG to %s" % (side, ext.upper()), [cli, "convert", w("noise%d.png" % side), w("o." + ext)],
                            [magick, w("noise%d.png" % side), w("m." + ext)], runs, "IM convert")
        else:
            print("(ImageMagick's convert is not installed: its comparisons are left out)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
