#!/usr/bin/env python3
"""Times vorn-cli against cp, cat and ImageMagick on inputs made here, and
prints a table of ratios (the machine's speed drifts; ratios measured in the
same run do not). Called by scripts/bench after it has built the release
programs.

    scripts/bench.py BUILD_DIR [--runs N]
"""
import os
import resource
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


def sprite(path, frames, side=1):
    """A version-1 Quake sprite of `frames` single frames of side x side."""
    out = bytearray(b"IDSP" + struct.pack("<iifiiifi", 1, 2, float(side), side, side, frames, 0.0, 0))
    for f in range(frames):
        out += struct.pack("<iiiii", 0, -(side // 2), side // 2, side, side)
        out += bytes((f + i * 7) % 256 for i in range(side * side))
    with open(path, "wb") as f:
        f.write(out)


def gif(path, frames, side):
    """An animated GIF of `frames` frames of side x side, 256 colours. Its
    LZW data holds one code a pixel, with a clear code before the table
    outgrows 9 bits: valid, simple to write, and as slow to decode as LZW
    gets."""
    palette = bytes(((i * 37) & 255, (i * 91) & 255, (i * 151) & 255)[c] for i in range(256) for c in range(3))
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", side, side, 0xF7, 0, 0) + palette)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for f in range(frames):
        out += b"\x21\xF9\x04\x04" + struct.pack("<H", 10) + b"\x00\x00"  # 100 ms, no transparency
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, side, side, 0) + b"\x08"
        codes = []
        for y in range(side):
            for x in range(side):
                if len(codes) % 254 == 0:
                    codes.append(256)  # clear: the next codes stay 9 bits wide
                codes.append((x * 3 + y * 5 + f * 11 + ((x * y) >> 4)) & 255)
        codes.append(257)  # end of information
        while len(codes) % 8:
            codes.append(0)
        data = bytearray()
        for i in range(0, len(codes), 8):
            value = 0
            for k in range(8):
                value |= codes[i + k] << (9 * k)
            data += value.to_bytes(9, "little")
        for i in range(0, len(data), 255):
            block = data[i:i + 255]
            out += bytes([len(block)]) + block
        out += b"\x00"
    out += b"\x3B"
    with open(path, "wb") as f:
        f.write(out)


def big_archives(folder, sprite_path, typical_path):
    """A pk3 of 3,826 entries and about 277 MB (as a large game's): half of
    them incompressible and stored (most of the bytes), half deflated; the
    sprite `sprite_path` as progs/frames.spr in the middle, `typical_path`
    as progs/typical.spr just after it. And a PAK and a pk3 of about 100 MB
    of the same kind, for rewriting."""
    import random
    import zipfile
    rng = random.Random(7)
    spr = open(sprite_path, "rb").read()
    typical = open(typical_path, "rb").read()

    def entries(count, total):
        each = total // count
        for i in range(count):
            if i == count // 2:
                yield "progs/frames.spr", spr, zipfile.ZIP_DEFLATED
                continue
            if i == count // 2 + 1:
                yield "progs/typical.spr", typical, zipfile.ZIP_DEFLATED
                continue
            size = rng.randint(each // 2, each * 3 // 2)
            if i % 2:
                yield "textures/set%02d/t%05d.jpg" % (i % 40, i), os.urandom(2 * size), zipfile.ZIP_STORED
            else:
                line = bytes(rng.randrange(256) for _ in range(64))
                yield "maps/m%02d/lump%05d.dat" % (i % 40, i), (line * (size // 64 + 1))[:size], zipfile.ZIP_DEFLATED

    with zipfile.ZipFile(os.path.join(folder, "big.pk3"), "w", allowZip64=True) as z:
        for name, data, method in entries(3826, 277 << 20):
            z.writestr(zipfile.ZipInfo(name, (2020, 1, 1, 0, 0, 0)), data, method)
    # Half of it deflates to almost nothing: more in, for about 100 MB out.
    with zipfile.ZipFile(os.path.join(folder, "r100.pk3"), "w") as z:
        for name, data, method in entries(1400, 102 << 20):
            z.writestr(zipfile.ZipInfo(name, (2020, 1, 1, 0, 0, 0)), data, method)
    with open(os.path.join(folder, "r100.pak"), "wb") as f:
        directory = bytearray()
        f.write(b"PACK" + bytes(8))
        at = 12
        for name, data, _ in entries(1400, 68 << 20):
            directory += struct.pack("<56sii", name.encode(), at, len(data))
            f.write(data)
            at += len(data)
        f.write(directory)
        f.seek(4)
        f.write(struct.pack("<ii", at, len(directory)))


def peak_kib(command):
    """The peak resident memory of `command` in KiB."""
    probe = ("import resource, subprocess, sys\n"
             "subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)\n"
             "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
    return int(subprocess.run([sys.executable, "-c", probe] + command, capture_output=True, check=True).stdout)


def noise(x, y):
    """A colour that looks random: most pixels of a large image differ."""
    h = ((x * 73856093) ^ (y * 19349663)) * 2654435761 & 0xFFFFFFFF
    return (h >> 24, (h >> 16) & 255, (h >> 8) & 255)


def image_magick():
    """ImageMagick's convert itself: the first in PATH that is a program, not
    a script standing in front of one (whose own start would be timed)."""
    for folder in os.environ.get("PATH", "").split(os.pathsep):
        path = os.path.join(folder, "convert")
        try:
            with open(path, "rb") as f:
                if f.read(4) == b"\x7fELF" and os.access(path, os.X_OK):
                    return path
        except OSError:
            pass
    return shutil.which("convert")


def timed(command, sync=None):
    """The wall time of one run of `command` and the CPU time (user and
    system, of it and its children) it took; with `sync`, until that file it
    wrote is on disk as well."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    if sync:
        fd = os.open(sync, os.O_RDONLY)
        os.fsync(fd)
        os.close(fd)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


def compare(name, ours, theirs, runs, reference_name, sync=None):
    """Alternates the two commands and reports the ratios of their median
    wall times and of their median CPU times (which a busy machine moves
    less)."""
    a, b = [], []
    for _ in range(runs):
        a.append(timed(ours))
        b.append(timed(theirs, sync))
    ratio = median(t[0] for t in a) / median(t[0] for t in b)
    cpu_ratio = median(t[1] for t in a) / max(median(t[1] for t in b), 1e-6)
    print("| %-44s | %-12s | %6.2f | %6.2f |" % (name, reference_name, ratio, cpu_ratio))
    return ratio


def main():
    build = sys.argv[1]
    runs = 5
    if "--runs" in sys.argv:
        runs = int(sys.argv[sys.argv.index("--runs") + 1])
    cli = os.path.join(build, "bin", "vorn-cli")
    magick = image_magick()
    work = tempfile.mkdtemp(prefix="vorn-bench-")
    try:
        for n in (10, 100, 200, 1000):
            wad(os.path.join(work, "w%d.wad" % n), n)
        for side in (256, 1024, 2048):
            png(os.path.join(work, "noise%d.png" % side), side, side, noise)
            png(os.path.join(work, "smooth%d.png" % side), side, side,
                lambda x, y, s=side: (x * 255 // s, y * 255 // s, (x + y) * 127 // s))
        gif(os.path.join(work, "anim.gif"), 40, 512)
        sprite(os.path.join(work, "frames.spr"), 2500)
        shutil.copy(os.path.join(build, "bin", "palette.lmp"), work)
        if magick:
            # The Quake palette as a 16 x 16 image, for ImageMagick's -remap.
            pal = open(os.path.join(work, "palette.lmp"), "rb").read()
            png(os.path.join(work, "palette.png"), 16, 16, lambda x, y: pal[(y * 16 + x) * 3:(y * 16 + x) * 3 + 3])

        print("| %-44s | %-12s | %6s | %6s |" % ("vorn-cli command", "against", "ratio", "CPU"))
        print("|%s|%s|%s|%s|" % ("-" * 46, "-" * 14, "-" * 8, "-" * 8))
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
        # Export makes its frames durable together at the end; a copy of the
        # same files followed by one sync of their file system does the same.
        subprocess.run([cli, "export", w("frames.spr"), w("exported")], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True)
        compare("export 2500 one-pixel frames", [cli, "export", "--force", w("frames.spr"), w("frames")],
                ["sh", "-c", 'cp -rT "$0" "$1" && sync -f "$1"', w("exported"), w("copied")], runs, "cp -r + sync")
        # A one-image target takes a GIF's first frame alone; `info` decodes
        # every frame.
        first_frame = [cli, "convert", w("anim.gif"), w("first.bmp")]
        compare("first frame of a 40-frame 512^2 GIF to BMP", first_frame, [cli, "info", w("anim.gif")], runs,
                "whole decode")
        if magick:
            for kind in ("noise", "smooth"):
                compare("%s 1024^2 PNG to .lmp (Quake palette)" % kind, [cli, "convert", w("%s1024.png" % kind), w("o.lmp")],
                        [magick, w("%s1024.png" % kind), "-dither", "None", "-remap", w("palette.png"), w("o.bmp")],
                        runs, "IM -remap")
            compare("first frame of a 40-frame 512^2 GIF to BMP", first_frame, [magick, w("anim.gif") + "[0]", w("m.bmp")],
                    runs, "IM [0]")
            for side in (1024, 2048):
                for ext in ("tga", "bmp"):
                    ours = [cli, "convert", w("noise%d.png" % side), w("o." + ext)]
                    theirs = [magick, w("noise%d.png" % side), w("m." + ext)]
                    compare("noise %d^2 PNG to %s" % (side, ext.upper()), ours, theirs, runs, "IM convert")
                    # A save is on disk when it reports success; ImageMagick's
                    # file is once it has been synced.
                    compare("noise %d^2 PNG to %s" % (side, ext.upper()), ours, theirs, runs, "IM + fsync",
                            sync=w("m." + ext))
        else:
            print("(ImageMagick's convert is not installed: its comparisons are left out)")
        if shutil.which("unzip"):
            sprite(w("typical.spr"), 6, 64)
            big_archives(work, w("frames.spr"), w("typical.spr"))
            compare("list a 277 MB pk3 of 3826 entries", [cli, "list", w("big.pk3")], ["unzip", "-l", w("big.pk3")],
                    runs, "unzip -l")
            read = [cli, "info", w("big.pk3") + "/progs/frames.spr"]
            compare("read one entry of it (info)", read, ["unzip", "-p", w("big.pk3"), "progs/frames.spr"], runs,
                    "unzip -p")
            # What the archive adds to the command on the same file.
            compare("read one entry of it (info)", read, [cli, "info", w("frames.spr")], runs, "info loose")
            # A sprite as a game's: 6 frames of 64^2 rather than 2500 of one pixel.
            typical = [cli, "info", w("big.pk3") + "/progs/typical.spr"]
            compare("read a 6-frame 64^2 sprite of it (info)", typical,
                    ["unzip", "-p", w("big.pk3"), "progs/typical.spr"], runs, "unzip -p")
            compare("read a 6-frame 64^2 sprite of it (info)", typical, [cli, "info", w("typical.spr")], runs,
                    "info loose")
            compare("the program alone (--help)", [cli, "--help"], ["unzip", "-p", w("big.pk3"), "progs/typical.spr"],
                    runs, "unzip -p")
            for kind in ("pak", "pk3"):
                print("(r100.%s: %d MB)" % (kind, os.path.getsize(w("r100." + kind)) >> 20))
                # The rewrite is on disk when it reports success: against a
                # copy flushed to disk as well.
                rewrite = [cli, "convert", "--yes", w("frames.spr"), w("r100." + kind) + "/progs/frames.spr"]
                compare("rewrite a 100 MB %s, one entry replaced" % kind, rewrite,
                        ["dd", "if=" + w("r100." + kind), "of=" + w("copy." + kind), "bs=4M", "conv=fsync",
                         "status=none"], runs, "dd fsync")
                compare("rewrite a 100 MB %s, one entry replaced" % kind, rewrite,
                        ["cp", w("r100." + kind), w("copy." + kind)], runs, "cp")
            print("peak memory: list %d KiB, read %d KiB (the pk3 is 277 MB)"
                  % (peak_kib([cli, "list", w("big.pk3")]), peak_kib(read)))
        else:
            print("(unzip is not installed: the archive comparisons are left out)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
