#!/usr/bin/env python3
"""Draws the 25 toolbar icons of the editor (19 x 18 pixels, PNG with alpha)
into resources/icons/. Pure Python, no imaging library: a tiny canvas with
rectangles, lines, circles and triangles, one shared palette and a dark
outline on every shape so that the set reads alike at toolbar size.

    scripts/make_icons.py          # rewrite resources/icons/*.png
"""
import os
import struct
import zlib

W, H = 19, 18

OUTLINE = (40, 40, 48, 255)
PAPER = (250, 250, 245, 255)
PAPER_SHADE = (205, 205, 200, 255)
FOLDER = (236, 196, 80, 255)
FOLDER_DARK = (190, 140, 40, 255)
BLUE = (60, 110, 200, 255)
BLUE_LIGHT = (150, 185, 240, 255)
GREEN = (50, 160, 70, 255)
RED = (200, 50, 50, 255)
GREY = (150, 150, 150, 255)
GLASS = (200, 225, 245, 255)


class Canvas:
    def __init__(self, w=W, h=H):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def dot(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, c)
            self.dot(x, y1, c)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, c)
            self.dot(x1, y, c)

    def box(self, x0, y0, x1, y1, inside, edge=OUTLINE):
        self.fill(x0, y0, x1, y1, inside)
        self.frame(x0, y0, x1, y1, edge)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.dot(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r * 0.8:
                    self.dot(x, y, c)

    def ring(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if r - 0.6 <= d <= r + 0.6:
                    self.dot(x, y, c)

    def triangle(self, pts, c):
        (ax, ay), (bx, by), (cx, cy) = pts

        def side(px, py, qx, qy, rx, ry):
            return (qx - px) * (ry - py) - (qy - py) * (rx - px)

        area = side(ax, ay, bx, by, cx, cy)
        for y in range(self.h):
            for x in range(self.w):
                s1 = side(ax, ay, bx, by, x, y)
                s2 = side(bx, by, cx, cy, x, y)
                s3 = side(cx, cy, ax, ay, x, y)
                if area > 0 and s1 >= 0 and s2 >= 0 and s3 >= 0:
                    self.dot(x, y, c)
                if area < 0 and s1 <= 0 and s2 <= 0 and s3 <= 0:
                    self.dot(x, y, c)

    def png(self):
        raw = b"".join(b"\0" + b"".join(struct.pack("4B", *p) for p in row) for row in self.px)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
                + chunk(b"IEND", b""))


def page(c, x0=3, y0=1, x1=14, y1=16):
    """A sheet of paper with a folded corner."""
    c.box(x0, y0, x1, y1, PAPER)
    for i in range(4):
        c.line(x1 - 3 + i, y0, x1, y0 + 3 - i, (0, 0, 0, 0))
    c.line(x1 - 4, y0, x1, y0 + 4, OUTLINE)
    c.fill(x1 - 4, y0 + 1, x1 - 4, y0 + 4, OUTLINE)
    c.fill(x1 - 4, y0 + 4, x1, y0 + 4, OUTLINE)


def picture(c, x0=2, y0=3, x1=14, y1=14):
    """A framed picture: a film frame with a hill and a sun."""
    c.box(x0, y0, x1, y1, BLUE_LIGHT)
    c.triangle([(x0 + 1, y1 - 1), (x0 + 5, y0 + 5), (x0 + 9, y1 - 1)], GREEN)
    c.disc(x1 - 3, y0 + 3, 1, FOLDER)


def magnifier(c, sign):
    c.disc(7, 7, 5, GLASS)
    c.ring(7, 7, 5, OUTLINE)
    c.ring(7, 7, 6, OUTLINE)
    for i in range(5):
        c.fill(11 + i, 11 + i, 12 + i, 12 + i, OUTLINE)
    c.fill(5, 7, 9, 7, OUTLINE)
    if sign == "+":
        c.fill(7, 5, 7, 9, OUTLINE)


def icon_open(c):
    c.box(1, 4, 13, 15, FOLDER_DARK)
    c.fill(2, 3, 6, 4, FOLDER_DARK)
    c.frame(1, 3, 6, 4, OUTLINE)
    c.triangle([(4, 8), (17, 8), (13, 15)], FOLDER)
    c.triangle([(4, 8), (13, 15), (1, 15)], FOLDER)
    c.line(4, 8, 17, 8, OUTLINE)
    c.line(17, 8, 13, 15, OUTLINE)
    c.line(4, 8, 1, 15, OUTLINE)
    c.fill(1, 15, 13, 15, OUTLINE)


def icon_save(c):
    c.box(2, 1, 16, 16, BLUE)
    c.box(5, 1, 13, 7, PAPER)
    c.fill(10, 2, 11, 5, OUTLINE)
    c.box(4, 10, 14, 16, PAPER_SHADE)
    c.fill(6, 12, 12, 12, GREY)
    c.fill(6, 14, 12, 14, GREY)


def icon_file_properties(c):
    page(c)
    for y in (6, 9, 12):
        c.fill(5, y, 8, y, BLUE)
        c.fill(10, y, 12, y, GREY)


def icon_undo(c):
    c.ring(10, 10, 5, BLUE)
    c.ring(10, 10, 6, BLUE)
    c.fill(3, 10, 16, 17, (0, 0, 0, 0))
    c.fill(11, 10, 17, 17, (0, 0, 0, 0))
    c.fill(15, 10, 16, 13, BLUE)
    c.triangle([(1, 10), (9, 10), (5, 15)], BLUE)
    c.line(1, 10, 9, 10, OUTLINE)
    c.line(1, 10, 5, 14, OUTLINE)
    c.line(9, 10, 5, 14, OUTLINE)


def icon_origin(c):
    c.ring(9, 9, 5, RED)
    c.fill(9, 1, 9, 16, OUTLINE)
    c.fill(1, 9, 17, 9, OUTLINE)
    c.dot(9, 9, RED)


def icon_bounding_box(c):
    for x in range(2, 17, 2):
        c.dot(x, 2, OUTLINE)
        c.dot(x, 15, OUTLINE)
    for y in range(2, 16, 2):
        c.dot(2, y, OUTLINE)
        c.dot(16, y, OUTLINE)
    c.disc(9, 9, 3, GREEN)
    c.ring(9, 9, 3, OUTLINE)
    for x, y in ((2, 2), (16, 2), (2, 15), (16, 15)):
        c.box(x - 1, y - 1, x + 1, y + 1, PAPER)


def icon_alpha(c):
    for y in range(2, 16):
        for x in range(2, 17):
            light = ((x - 2) // 3 + (y - 2) // 3) % 2 == 0
            c.dot(x, y, PAPER if light else GREY)
    c.triangle([(2, 15), (16, 2), (16, 15)], OUTLINE)
    c.frame(2, 2, 16, 15, OUTLINE)
    c.fill(11, 10, 13, 12, PAPER)


def bar(c, x):
    c.box(x, 4, x + 1, 13, BLUE)


def arrow_left(c, tip):
    c.triangle([(tip, 9), (tip + 6, 3), (tip + 6, 15)], BLUE)
    c.line(tip, 9, tip + 6, 3, OUTLINE)
    c.line(tip, 9, tip + 6, 15, OUTLINE)
    c.fill(tip + 6, 3, tip + 6, 15, OUTLINE)


def arrow_right(c, tip):
    c.triangle([(tip, 9), (tip - 6, 3), (tip - 6, 15)], BLUE)
    c.line(tip, 9, tip - 6, 3, OUTLINE)
    c.line(tip, 9, tip - 6, 15, OUTLINE)
    c.fill(tip - 6, 3, tip - 6, 15, OUTLINE)


def icon_first(c):
    bar(c, 2)
    arrow_left(c, 4)
    arrow_left(c, 10)


def icon_previous(c):
    arrow_left(c, 5)


def icon_play(c):
    c.triangle([(15, 9), (5, 2), (5, 16)], GREEN)
    c.line(15, 9, 5, 2, OUTLINE)
    c.line(15, 9, 5, 16, OUTLINE)
    c.fill(5, 2, 5, 16, OUTLINE)


def icon_stop(c):
    c.box(4, 4, 14, 14, RED)


def icon_next(c):
    arrow_right(c, 13)


def icon_end(c):
    bar(c, 15)
    arrow_right(c, 8)
    arrow_right(c, 14)


def icon_import(c):
    picture(c, 1, 1, 12, 12)
    c.box(10, 10, 17, 17, GREEN)
    c.fill(13, 11, 14, 16, PAPER)
    c.fill(11, 13, 16, 14, PAPER)


def icon_delete_frame(c):
    picture(c, 1, 1, 12, 12)
    for i in range(6):
        c.fill(10 + i, 10 + i, 11 + i, 11 + i, RED)
        c.fill(15 - i, 10 + i, 16 - i, 11 + i, RED)


def icon_frame_properties(c):
    picture(c, 1, 1, 12, 12)
    c.box(9, 8, 17, 17, PAPER)
    for y in (10, 12, 14):
        c.fill(11, y, 15, y, BLUE)


def icon_pencil(c):
    for i in range(9):
        c.fill(5 + i, 12 - i, 6 + i, 13 - i, FOLDER)
    c.line(4, 12, 13, 3, OUTLINE)
    c.line(6, 14, 15, 5, OUTLINE)
    c.line(13, 3, 15, 5, OUTLINE)
    c.fill(11, 5, 13, 7, RED)
    c.triangle([(2, 16), (4, 11), (7, 14)], PAPER)
    c.line(2, 16, 4, 12, OUTLINE)
    c.line(2, 16, 6, 14, OUTLINE)
    c.dot(2, 16, OUTLINE)


def icon_eraser(c):
    c.triangle([(2, 11), (9, 4), (13, 8)], PAPER)
    c.triangle([(2, 11), (6, 15), (13, 8)], PAPER)
    c.triangle([(9, 4), (16, 8), (13, 11)], RED)
    c.triangle([(9, 4), (13, 8), (13, 11)], RED)
    c.line(2, 11, 9, 4, OUTLINE)
    c.line(9, 4, 16, 8, OUTLINE)
    c.line(16, 8, 9, 15, OUTLINE)
    c.line(2, 11, 6, 15, OUTLINE)
    c.fill(6, 15, 9, 15, OUTLINE)
    c.line(6, 8, 12, 13, OUTLINE)


def icon_fill(c):
    c.triangle([(3, 8), (9, 2), (15, 8)], PAPER)
    c.triangle([(3, 8), (9, 14), (15, 8)], PAPER)
    c.line(3, 8, 9, 2, OUTLINE)
    c.line(9, 2, 15, 8, OUTLINE)
    c.line(15, 8, 9, 14, OUTLINE)
    c.line(9, 14, 3, 8, OUTLINE)
    c.fill(4, 8, 14, 8, BLUE)
    c.fill(15, 9, 16, 14, BLUE)
    c.dot(16, 15, BLUE)


def icon_eyedropper(c):
    for i in range(7):
        c.fill(3 + i, 14 - i, 4 + i, 15 - i, GLASS)
    c.line(2, 15, 9, 8, OUTLINE)
    c.line(4, 16, 11, 9, OUTLINE)
    c.box(9, 4, 14, 9, GREY)
    c.disc(14, 4, 2, OUTLINE)
    c.dot(2, 16, BLUE)


def icon_line(c):
    c.line(2, 15, 16, 2, OUTLINE)
    c.line(3, 15, 16, 3, OUTLINE)
    c.box(1, 14, 3, 16, PAPER)
    c.box(15, 1, 17, 3, PAPER)


def icon_rectangle(c):
    c.frame(2, 3, 16, 14, OUTLINE)
    c.frame(3, 4, 15, 13, BLUE)


def icon_select(c):
    for x in range(2, 17, 3):
        c.fill(x, 3, x + 1, 3, OUTLINE)
        c.fill(x, 14, x + 1, 14, OUTLINE)
    for y in range(3, 15, 3):
        c.fill(2, y, 2, y + 1, OUTLINE)
        c.fill(17, y, 17, y + 1, OUTLINE)


ICONS = [
    ("open", icon_open),
    ("save", icon_save),
    ("file_properties", icon_file_properties),
    ("undo", icon_undo),
    ("zoom_in", lambda c: magnifier(c, "+")),
    ("zoom_out", lambda c: magnifier(c, "-")),
    ("origin_mode", icon_origin),
    ("bounding_box", icon_bounding_box),
    ("view_alpha", icon_alpha),
    ("first", icon_first),
    ("previous", icon_previous),
    ("play", icon_play),
    ("stop", icon_stop),
    ("next", icon_next),
    ("end", icon_end),
    ("import_append", icon_import),
    ("delete_frame", icon_delete_frame),
    ("frame_properties", icon_frame_properties),
    ("pencil", icon_pencil),
    ("eraser", icon_eraser),
    ("fill", icon_fill),
    ("eyedropper", icon_eyedropper),
    ("line", icon_line),
    ("rectangle", icon_rectangle),
    ("select", icon_select),
]


HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def app_icon_colour(u, v):
    """The program's icon in a 32 x 32 unit square, sampled at (u, v)."""
    def inside(x0, y0, x1, y1, pad=0.0):
        return x0 - pad <= u < x1 + 1 + pad and y0 - pad <= v < y1 + 1 + pad

    for radius, colour in ((1.4, PAPER), (3.4, FOLDER), (5.4, RED)):
        if (u - 16.5) ** 2 + (v - 15.5) ** 2 <= radius * radius:
            return colour
    if inside(4, 9, 27, 22):
        return OUTLINE if not inside(5, 10, 26, 21) else (30, 30, 60, 255)
    for x in range(4, 29, 5):
        if inside(x, 6, x + 2, 7) or inside(x, 24, x + 2, 25):
            return PAPER
    if inside(1, 4, 30, 27):
        return OUTLINE if not inside(2, 5, 29, 26) else (70, 70, 80, 255)
    return (0, 0, 0, 0)


def app_icon(size):
    c = Canvas(size, size)
    for y in range(size):
        for x in range(size):
            c.dot(x, y, app_icon_colour((x + 0.5) * 32.0 / size, (y + 0.5) * 32.0 / size))
    return c


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "icons")
    os.makedirs(root, exist_ok=True)
    for name, draw in ICONS:
        c = Canvas()
        draw(c)
        with open(os.path.join(root, name + ".png"), "wb") as f:
            f.write(c.png())
    # The program's own icon: a film frame with an explosion, 32 x 32.
    c = Canvas(32, 32)
    c.box(1, 4, 30, 27, (70, 70, 80, 255))
    for x in range(4, 29, 5):
        c.fill(x, 6, x + 2, 7, PAPER)
        c.fill(x, 24, x + 2, 25, PAPER)
    c.box(4, 9, 27, 22, (30, 30, 60, 255))
    c.disc(16, 15, 5, RED)
    c.disc(16, 15, 3, FOLDER)
    c.disc(16, 15, 1, PAPER)
    with open(os.path.join(root, "vorn.png"), "wb") as f:
        f.write(c.png())
    # The same icon at the desktop's sizes, for the hicolor theme.
    for size in HICOLOR_SIZES:
        folder = os.path.join(root, "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "vorn.png"), "wb") as f:
            f.write(app_icon(size).png())
    print("wrote %d icons to %s" % (len(ICONS), os.path.normpath(root)))


if __name__ == "__main__":
    main()
