#!/usr/bin/env python3
"""Draws every picture the page and the main window ship with.

Writes, under data/:
  hd/image/sedit.gif, dele.gif, spacer.gif      list icons and the 1x1 spacer
  hd/image/QQ.gif, MS.gif, SP.gif, AL.gif        messenger badges
  hd/images/box/tl.jpg, tr.jpg, lb.jpg, rb.jpg   rounded corners of a record box
  hd/icons/<n>.gif, n = 0..29                    emoticon faces for the page
  bmp/<n>.bmp, n = 0..29                         the same faces for the note editor
  skin/*.png                                     program icon, caption skin, logo, glyphs

and beside them, for the dark look and for screens of more than one device
pixel to a pixel: <name>@2x.png at twice the size (caption, logo, glyphs,
list icons, badges, box corners, faces), <name>.png with full transparency
(list icons, badges, faces), and <name>-dark.png (caption pieces, box corners
matted on the dark page and box).

and, under package/icons/hicolor/, the same program icon for the desktop's
menus: <n>x<n>/apps/korvane.png in the usual sizes and scalable/apps/korvane.svg.

Needs only python3 and ImageMagick 6 (/usr/bin/convert). Shapes are drawn
eight times larger and averaged down, which gives smooth edges without any
imaging library in Python. Output carries no timestamps, so a rerun writes the
same bytes.

The colours below must match data/hd/style.css (page background, box
background and border).
"""

import os
import subprocess
import sys

CONVERT = "/usr/bin/convert"
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
SUPERSAMPLE = 8

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
PACKAGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "package")
MENU_ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

# Shared with style.css.
PAGE_BG = (0xEE, 0xF2, 0xF6)
BOX_BG = (0xFF, 0xFF, 0xFF)
BOX_BORDER = (0xD3, 0xDC, 0xE6)
# The same three in the dark set (html.dark in style.css).
PAGE_BG_DARK = (0x1B, 0x1F, 0x24)
BOX_BG_DARK = (0x26, 0x2B, 0x32)
BOX_BORDER_DARK = (0x3A, 0x42, 0x4D)

INK = "#5A3B10"  # eyes and mouths of the faces


# --------------------------------------------------------------------------
# Pixels: a picture is (width, height, list of [r, g, b, a] floats 0..1).


class Picture:
    def __init__(self, w, h, px=None):
        self.w, self.h = w, h
        self.px = px if px is not None else [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def over(self, top):
        """Composites `top` (same size) over this picture."""
        for d, s in zip(self.px, top.px):
            sa = s[3]
            if sa <= 0:
                continue
            da = d[3] * (1 - sa)
            oa = sa + da
            for i in range(3):
                d[i] = (s[i] * sa + d[i] * da) / oa
            d[3] = oa
        return self

    def tinted(self, colour_at):
        """Keeps the coverage of this picture and paints it with colour_at(x, y)."""
        out = Picture(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                a = self.px[y * self.w + x][3]
                r, g, b = colour_at(x, y)
                out.px[y * self.w + x] = [r / 255, g / 255, b / 255, a]
        return out


def rgb(hex_colour):
    h = hex_colour.lstrip("#")
    return tuple(int(h[i:i + 2], 16) for i in (0, 2, 4))


def mix(c1, c2, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(c1, c2))


def draw(w, h, mvg, background="none", k=1):
    """Renders MVG primitives given in final-pixel coordinates of a w x h
    picture, k device pixels to each of them (k = 2 for the @2x files)."""
    s = SUPERSAMPLE * k
    cmd = [CONVERT, "-size", f"{w * s}x{h * s}", f"xc:{background}",
           "-draw", f"scale {s},{s} " + mvg,
           "-filter", "box", "-resize", f"{w * k}x{h * k}!", "-depth", "8", "rgba:-"]
    raw = subprocess.run(cmd, check=True, capture_output=True).stdout
    px = [[raw[i] / 255, raw[i + 1] / 255, raw[i + 2] / 255, raw[i + 3] / 255]
          for i in range(0, len(raw), 4)]
    return Picture(w * k, h * k, px)


def save(pic, path, matte=None, extra=(), root=ROOT):
    """Writes a picture. With a matte colour, partly covered pixels are blended
    onto it and the rest becomes fully transparent (GIF) or the matte (BMP/JPG)."""
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    data = bytearray()
    for r, g, b, a in pic.px:
        if matte is not None:
            m = [c / 255 for c in matte]
            r, g, b = (r * a + m[0] * (1 - a), g * a + m[1] * (1 - a), b * a + m[2] * (1 - a))
            a = 1.0 if a >= 0.12 else 0.0
        data += bytes(round(max(0.0, min(1.0, v)) * 255) for v in (r, g, b, a))
    fmt = {"gif": "gif", "bmp": "bmp3", "jpg": "jpg", "png": "png32"}[path.rsplit(".", 1)[1]]
    cmd = [CONVERT, "-size", f"{pic.w}x{pic.h}", "-depth", "8", "rgba:-"]
    if fmt == "gif":
        cmd += ["+dither", "-colors", "255"]
    if fmt in ("bmp3", "jpg"):
        cmd += ["-background", "#%02x%02x%02x" % tuple(matte or BOX_BG), "-alpha", "remove",
                "-alpha", "off"]
    if fmt == "jpg":
        cmd += ["-quality", "100", "-sampling-factor", "1x1"]
    cmd += list(extra) + ["-strip", "-define", "png:exclude-chunks=date,time",
                          f"{fmt}:{full}"]
    subprocess.run(cmd, input=bytes(data), check=True)


# --------------------------------------------------------------------------
# MVG building blocks (coordinates in final pixels).


def fill(colour, body, stroke="none", width=0.0):
    return (f"push graphic-context fill '{colour}' stroke '{stroke}' stroke-width {width} "
            f"stroke-linecap round stroke-linejoin round {body} pop graphic-context ")


def line_path(colour, d, width):
    return fill("none", f"path '{d}'", colour, width)


def circle(cx, cy, r):
    return f"circle {cx},{cy} {cx + r},{cy}"


def ellipse(cx, cy, rx, ry):
    return f"ellipse {cx},{cy} {rx},{ry} 0,360"


# --------------------------------------------------------------------------
# Emoticon faces, 22 x 22. A face is a base plus eyes, mouth and extras, each
# chosen by name; no two of the thirty share the same combination.

FACE = 22
CX, CY = 11.0, 11.2
EYE_Y = 9.2
EYE_L, EYE_R = 7.8, 14.2

BASES = {
    "sun": ("#F2B233", "#FFD862", "#B9781A"),
    "red": ("#E0533F", "#F57A62", "#A3301F"),
    "blue": ("#6FAAE0", "#9CCBF3", "#3F74A8"),
    "green": ("#A4C95A", "#C5E283", "#6C8F2B"),
    "violet": ("#9B78D0", "#BDA2EA", "#63449A"),
}


def face_base(kind, r=9.6, cy=CY):
    shade, light, rim = BASES[kind]
    return (fill(shade, circle(CX, cy, r)) +
            fill(light, circle(CX - 0.5, cy - 0.7, r - 1.3)) +
            fill("none", circle(CX, cy, r - 0.45), rim, 0.9))


def eye(kind, x, y=EYE_Y):
    if kind == "dot":
        return fill(INK, ellipse(x, y, 1.15, 1.6))
    if kind == "happy":  # ^
        return line_path(INK, f"M {x - 1.7},{y + 0.9} Q {x},{y - 1.7} {x + 1.7},{y + 0.9}", 1.2)
    if kind == "closed":  # a downward arc, smiling shut
        return line_path(INK, f"M {x - 1.7},{y - 0.4} Q {x},{y + 1.8} {x + 1.7},{y - 0.4}", 1.2)
    if kind == "flat":
        return line_path(INK, f"M {x - 1.6},{y + 0.3} L {x + 1.6},{y + 0.3}", 1.2)
    if kind == "x":
        return line_path(INK, f"M {x - 1.3},{y - 1.3} L {x + 1.3},{y + 1.3} "
                              f"M {x + 1.3},{y - 1.3} L {x - 1.3},{y + 1.3}", 1.1)
    if kind == "wide":
        return fill("#FFFFFF", circle(x, y, 2.1), INK, 0.8) + fill(INK, circle(x, y + 0.2, 1.0))
    if kind in ("up", "down", "side"):
        dx, dy = {"up": (0, -0.9), "down": (0, 0.9), "side": (0.8, -0.2)}[kind]
        return fill("#FFFFFF", circle(x, y, 2.1), INK, 0.8) + fill(INK, circle(x + dx, y + dy, 1.0))
    if kind == "heart":
        return fill("#E0344A", f"path 'M {x},{y + 2.2} C {x - 3.4},{y - 0.2} {x - 1.9},{y - 3.2} "
                               f"{x},{y - 1.1} C {x + 1.9},{y - 3.2} {x + 3.4},{y - 0.2} {x},{y + 2.2} Z'")
    if kind == "star":
        pts = []
        import math
        for i in range(10):
            rr = 2.5 if i % 2 == 0 else 1.1
            a = -math.pi / 2 + i * math.pi / 5
            pts.append(f"{x + rr * math.cos(a):.3f},{y + rr * math.sin(a):.3f}")
        return fill("#F06A1E", "polygon " + " ".join(pts), "#C8500F", 0.3)
    if kind == "spiral":
        return fill("none", circle(x, y, 1.8), INK, 0.8) + fill(INK, circle(x + 0.3, y - 0.2, 0.6))
    if kind == "half":  # heavy-lidded
        return (fill(INK, ellipse(x, y + 0.4, 1.15, 1.2)) +
                line_path(INK, f"M {x - 1.8},{y - 0.2} L {x + 1.8},{y - 0.2}", 1.1))
    raise ValueError(kind)


def eyes(kind):
    if kind == "wink":
        return eye("dot", EYE_L) + eye("happy", EYE_R)
    if kind == "sunglasses":
        return (fill("#2B2F36", f"path 'M 4.3,7.6 L 10.2,7.6 Q 10.2,11.4 7.4,11.4 Q 4.6,11.4 4.3,7.6 Z'") +
                fill("#2B2F36", f"path 'M 11.8,7.6 L 17.7,7.6 Q 17.4,11.4 14.6,11.4 Q 11.8,11.4 11.8,7.6 Z'") +
                line_path("#2B2F36", "M 3.4,7.9 L 18.6,7.9", 0.9) +
                line_path("#8A93A0", "M 5.6,8.6 L 7.0,8.6 M 13.0,8.6 L 14.4,8.6", 0.6))
    return eye(kind, EYE_L) + eye(kind, EYE_R)


def brows(kind):
    if kind == "angry":
        return line_path(INK, "M 5.6,5.6 L 9.4,7.1 M 16.4,5.6 L 12.6,7.1", 1.1)
    if kind == "sad":
        return line_path(INK, "M 5.8,6.9 L 9.2,5.6 M 16.2,6.9 L 12.8,5.6", 1.0)
    if kind == "raised":
        return line_path(INK, "M 12.4,5.4 Q 14.2,4.2 16.2,5.4", 1.0)
    if kind == "worried":
        return line_path(INK, "M 6.0,6.4 Q 7.6,5.2 9.2,5.8 M 16.0,6.4 Q 14.4,5.2 12.8,5.8", 0.9)
    raise ValueError(kind)


def mouth(kind):
    if kind == "smile":
        return line_path(INK, "M 7.2,13.6 Q 11,17.4 14.8,13.6", 1.2)
    if kind == "small":
        return line_path(INK, "M 8.9,14.3 Q 11,15.9 13.1,14.3", 1.1)
    if kind == "grin":
        return (fill("#7A2A12", "path 'M 6.6,13.0 L 15.4,13.0 Q 15.2,17.9 11,17.9 Q 6.8,17.9 6.6,13.0 Z'") +
                fill("#FFFFFF", "path 'M 7.1,13.5 L 14.9,13.5 L 14.6,14.8 L 7.4,14.8 Z'"))
    if kind == "laugh":
        return (fill("#7A2A12", "path 'M 5.9,12.6 L 16.1,12.6 Q 15.9,19.2 11,19.2 Q 6.1,19.2 5.9,12.6 Z'") +
                fill("#FFFFFF", "path 'M 6.5,13.1 L 15.5,13.1 L 15.2,14.3 L 6.8,14.3 Z'") +
                fill("#F0706A", ellipse(11, 17.6, 2.9, 1.4)))
    if kind == "o":
        return fill("#7A2A12", ellipse(11, 15.3, 1.8, 2.2))
    if kind == "small_o":
        return fill("#7A2A12", ellipse(11, 15.0, 1.1, 1.2))
    if kind == "frown":
        return line_path(INK, "M 7.6,16.4 Q 11,13.2 14.4,16.4", 1.2)
    if kind == "sob":
        return fill("#7A2A12", "path 'M 7.0,17.4 Q 11,11.8 15.0,17.4 Z'", INK, 0.6)
    if kind == "flat":
        return line_path(INK, "M 7.8,15.0 L 14.2,15.0", 1.2)
    if kind == "wavy":
        return line_path(INK, "M 6.8,15.2 Q 8.2,13.8 9.6,15.2 Q 11,16.6 12.4,15.2 Q 13.8,13.8 15.2,15.2", 1.1)
    if kind == "tongue":
        return (line_path(INK, "M 7.2,13.6 Q 11,16.6 14.8,13.6", 1.2) +
                fill("#EE5D6C", "path 'M 9.0,15.0 L 13.0,15.0 L 13.0,16.6 Q 11,19.4 9.0,16.6 Z'", "#B8323F", 0.6))
    if kind == "lick":
        return (line_path(INK, "M 6.8,13.8 Q 11,17.6 15.2,13.8", 1.2) +
                fill("#EE5D6C", ellipse(13.6, 15.9, 1.5, 1.3), "#B8323F", 0.5))
    if kind == "kiss":
        return line_path(INK, "M 10.2,13.2 Q 12.4,13.8 10.6,14.8 Q 12.6,15.6 10.2,16.6", 1.1)
    if kind == "smirk":
        return line_path(INK, "M 8.0,15.2 Q 12.2,15.6 14.6,13.2", 1.2)
    if kind == "teeth":
        return (fill("#FFFFFF", "roundrectangle 6.6,13.0 15.4,17.0 1.4,1.4", INK, 0.8) +
                line_path(INK, "M 6.8,15.0 L 15.2,15.0 M 9.5,13.2 L 9.5,16.8 M 12.5,13.2 L 12.5,16.8", 0.6))
    if kind == "shiver":
        return line_path(INK, "M 6.8,15.0 L 8.2,14.0 L 9.6,15.0 L 11,14.0 L 12.4,15.0 L 13.8,14.0 L 15.2,15.0", 1.0)
    if kind == "side_o":
        return fill("#7A2A12", ellipse(13.2, 15.2, 1.2, 1.0))
    raise ValueError(kind)


def extra(kind):
    if kind == "blush":
        return fill("#F28B8B", ellipse(5.6, 12.8, 1.9, 1.1)) + fill("#F28B8B", ellipse(16.4, 12.8, 1.9, 1.1))
    if kind == "sweat":
        return fill("#7CC3F2", "path 'M 17.6,3.0 Q 19.9,6.6 18.5,7.5 Q 17.1,8.2 16.5,6.8 Q 16.3,5.4 17.6,3.0 Z'",
                    "#3C8AC4", 0.5)
    if kind == "tears":
        return (fill("#7CC3F2", "path 'M 6.0,11.0 L 7.6,11.0 L 7.9,19.0 L 5.7,19.0 Z'") +
                fill("#7CC3F2", "path 'M 14.4,11.0 L 16.0,11.0 L 16.3,19.0 L 14.1,19.0 Z'"))
    if kind == "tear":
        return fill("#7CC3F2", "path 'M 15.0,11.0 Q 17.0,14.0 15.6,14.8 Q 14.2,15.4 13.8,14.0 Q 13.8,12.8 15.0,11.0 Z'",
                    "#3C8AC4", 0.5)
    if kind == "joy_tears":
        return (fill("#7CC3F2", "path 'M 3.2,8.6 Q 1.2,11.6 2.6,12.6 Q 4.2,13.2 4.6,11.4 Q 4.6,10.2 3.2,8.6 Z'",
                     "#3C8AC4", 0.5) +
                fill("#7CC3F2", "path 'M 18.8,8.6 Q 20.8,11.6 19.4,12.6 Q 17.8,13.2 17.4,11.4 Q 17.4,10.2 18.8,8.6 Z'",
                     "#3C8AC4", 0.5))
    if kind == "zzz":
        return (line_path("#3F74A8", "M 15.0,2.2 L 17.4,2.2 L 15.0,4.6 L 17.4,4.6", 0.8) +
                line_path("#3F74A8", "M 18.4,5.4 L 20.2,5.4 L 18.4,7.2 L 20.2,7.2", 0.7))
    if kind == "small_heart":
        return fill("#E0344A", "path 'M 18.0,7.0 C 15.8,5.4 16.8,3.4 18.0,4.8 C 19.2,3.4 20.2,5.4 18.0,7.0 Z'")
    if kind == "halo":
        return fill("none", ellipse(11, 2.6, 5.6, 1.5), "#E9B321", 1.1)
    if kind == "horns":
        return fill("#63449A", "path 'M 3.4,1.6 L 7.6,4.4 L 4.6,6.6 Z'") + \
               fill("#63449A", "path 'M 18.6,1.6 L 14.4,4.4 L 17.4,6.6 Z'")
    if kind == "dots":
        return fill("#8A93A0", circle(16.2, 3.4, 0.8)) + fill("#8A93A0", circle(18.4, 4.4, 0.8)) + \
               fill("#8A93A0", circle(20.0, 6.0, 0.8))
    if kind == "frost":
        return line_path("#FFFFFF", "M 11,3.2 L 11,6.4 M 9.6,3.9 L 12.4,5.7 M 12.4,3.9 L 9.6,5.7", 0.6)
    raise ValueError(kind)


# n: (base, eyes, brows or None, mouth, extras)
FACES = [
    ("sun", "dot", None, "smile", ()),                 # 0 smile
    ("sun", "dot", None, "grin", ()),                  # 1 grin
    ("sun", "happy", None, "laugh", ()),               # 2 laugh
    ("sun", "wink", None, "smile", ()),                # 3 wink
    ("sun", "dot", None, "tongue", ()),                # 4 tongue out
    ("sun", "closed", None, "small", ("blush",)),      # 5 content, blushing
    ("sun", "heart", None, "smile", ()),               # 6 in love
    ("sun", "sunglasses", None, "smirk", ()),          # 7 cool
    ("sun", "wide", None, "o", ()),                    # 8 surprised
    ("sun", "dot", "sad", "frown", ()),                # 9 sad
    ("blue", "closed", "sad", "sob", ("tears",)),      # 10 crying
    ("red", "dot", "angry", "frown", ()),              # 11 angry
    ("sun", "flat", None, "small_o", ("zzz",)),        # 12 sleepy
    ("sun", "x", None, "wavy", ()),                    # 13 dizzy
    ("sun", "wink", None, "kiss", ("small_heart",)),   # 14 kiss
    ("sun", "happy", None, "smile", ("sweat",)),       # 15 awkward
    ("sun", "dot", "raised", "wavy", ()),              # 16 confused
    ("sun", "dot", None, "flat", ()),                  # 17 speechless
    ("sun", "wide", "worried", "teeth", ()),           # 18 scared
    ("sun", "star", None, "grin", ()),                 # 19 star-struck
    ("green", "half", None, "wavy", ("sweat",)),       # 20 sick
    ("blue", "dot", None, "shiver", ("frost",)),       # 21 freezing
    ("sun", "half", None, "smirk", ()),                # 22 smug
    ("sun", "down", None, "small", ("blush",)),        # 23 shy
    ("sun", "happy", None, "grin", ("blush",)),        # 24 delighted
    ("sun", "side", None, "side_o", ("dots",)),        # 25 thinking
    ("sun", "happy", None, "laugh", ("joy_tears",)),   # 26 tears of joy
    ("sun", "closed", None, "smile", ("halo",)),       # 27 angel
    ("violet", "dot", "angry", "grin", ("horns",)),    # 28 little devil
    ("sun", "happy", None, "lick", ()),                # 29 yummy
]


def face(n, k=1):
    base, eye_kind, brow, mouth_kind, extras = FACES[n]
    mvg = face_base(base)
    if brow:
        mvg += brows(brow)
    mvg += eyes(eye_kind) + mouth(mouth_kind)
    for e in extras:
        mvg += extra(e)
    return draw(FACE, FACE, mvg, k=k)


# --------------------------------------------------------------------------
# List icons and messenger badges.


def pencil_icon(k=1):
    """A pencil leaning to the lower left over a short baseline."""
    c = "#3B7DD8"
    body = ("push graphic-context translate 8.6,7.4 rotate -45 " +
            fill(c, "path 'M -3.2,-1.9 L 5.6,-1.9 Q 6.6,-1.9 6.6,-0.9 L 6.6,0.9 Q 6.6,1.9 5.6,1.9 "
                    "L -3.2,1.9 Z'") +
            fill("#9CC0EE", "rectangle 3.6,-1.9 4.4,1.9") +
            fill("#F3E2C2", "path 'M -3.2,-1.9 L -6.8,0 L -3.2,1.9 Z'", "#8A6A3A", 0.5) +
            fill("#3A3A3A", "path 'M -5.6,-0.65 L -6.9,0 L -5.6,0.65 Z'") +
            "pop graphic-context ")
    underline = line_path("#9DB7DA", "M 9.2,14.4 L 14.6,14.4", 1.1)
    return draw(16, 16, underline + body, k=k)


def trash_icon(k=1):
    c = "#D2564F"
    return draw(16, 16, k=k, mvg=
                fill("#FCEDEC", "path 'M 4.0,5.4 L 12.0,5.4 L 11.2,14.2 L 4.8,14.2 Z'", c, 1.1) +
                line_path(c, "M 2.8,4.0 L 13.2,4.0", 1.2) +
                line_path(c, "M 6.4,3.8 L 6.6,2.2 L 9.4,2.2 L 9.6,3.8", 1.0) +
                line_path(c, "M 6.6,7.4 L 6.8,12.0 M 9.4,7.4 L 9.2,12.0", 0.9))


BADGES = {"QQ": "#1C9E8C", "MS": "#5865C8", "SP": "#2C95CF", "AL": "#E27A2E"}


def badge(letters, colour, k=1):
    w, h = 24, 15
    mvg = (fill(colour, f"roundrectangle 0.5,0.5 {w - 0.5},{h - 0.5} 3.5,3.5") +
           fill("#FFFFFF", f"font '{FONT_BOLD}' font-size 8.6 gravity center text 0,0.4 '{letters}'"))
    return draw(w, h, mvg, k=k)


def corners(k=1, colours=(PAGE_BG, BOX_BG, BOX_BORDER)):
    """tl, tr, lb, rb: 6 x 6, a quarter ring of the box border between the page
    background outside and the box background inside. The straight edges
    continue in the l1..l4 cells at the outermost pixel row or column."""
    page, box, border = ("#%02x%02x%02x" % c for c in colours)
    centres = {"tl": (6, 6), "tr": (0, 6), "lb": (6, 0), "rb": (0, 0)}
    out = {}
    for name, (cx, cy) in centres.items():
        mvg = fill(box, circle(cx, cy, 5.5), border, 1.0)
        out[name] = draw(6, 6, mvg, background=page, k=k)
    return out


# --------------------------------------------------------------------------
# Main window skin.

# The caption's gradient: its top line, top, bottom and bottom line, light and
# dark (mainwindow/skin.cpp draws the same when a file is missing).
CAPTION_LIGHT = ("#86B2EC", "#5B93DE", "#3565B1", "#2A548F")
CAPTION_DARK = ("#505A69", "#3B434F", "#2A3039", "#1C2026")


def caption_colour(y, k=1, colours=CAPTION_LIGHT, h=28):
    """The colour of device row y of a caption drawn at k device pixels per
    pixel: one pixel of light at the top, one of shade at the bottom."""
    first, top, bottom, last = (rgb(c) for c in colours)
    if y < k:
        return first
    if y >= (h - 1) * k:
        return last
    return mix(top, bottom, (y / k) / (h - 1))


def caption_piece(w, corner, k=1, colours=CAPTION_LIGHT):
    """A strip of the caption gradient, with a rounded top corner on one side."""
    if corner == "left":
        shape = f"path 'M 0,28 L 0,6 Q 0,0 6,0 L {w},0 L {w},28 Z'"
    elif corner == "right":
        shape = f"path 'M 0,0 L {w - 6},0 Q {w},0 {w},6 L {w},28 L 0,28 Z'"
    else:
        shape = f"rectangle 0,0 {w},28"
    return draw(w, 28, fill("#000000", shape), k=k).tinted(
        lambda x, y: caption_colour(y, k, colours))


def notebook_shapes(x, y, w, h, line_colour, ring_colour, page_colour="#FFFFFF", ribbon=True,
                    lines=4):
    """A notebook seen from the front: a page, ruled lines, rings on the left
    and a bookmark ribbon at the top right. Shapes, for MVG and for SVG:
    ("rrect", colour, x1, y1, x2, y2, radius), ("line", colour, x1, y1, x2,
    y2, width) and ("path", colour, points)."""
    r = max(1.0, w / 9)
    shapes = [("rrect", page_colour, x, y, x + w, y + h, r)]
    step = h / (lines + 1.2)
    for i in range(lines):
        ly = y + step * (i + 1.2)
        shapes.append(("line", line_colour, x + w * 0.28, ly, x + w * 0.82, ly, max(1.0, h / 22)))
    if ribbon:
        rx = x + w * 0.66
        shapes.append(("path", "#F08A3C", [(rx, y), (rx + w * 0.16, y), (rx + w * 0.16, y + h * 0.3),
                                           (rx + w * 0.08, y + h * 0.24), (rx, y + h * 0.3)]))
    for i in range(4):
        ry = y + h * (0.2 + 0.2 * i)
        shapes.append(("rrect", ring_colour, x - w * 0.1, ry - h * 0.03, x + w * 0.13,
                       ry + h * 0.03, h * 0.03))
    return shapes


def shapes_mvg(shapes):
    mvg = ""
    for kind, colour, *v in shapes:
        if kind == "rrect":
            x1, y1, x2, y2, r = v
            mvg += fill(colour, f"roundrectangle {x1},{y1} {x2},{y2} {r},{r}")
        elif kind == "line":
            x1, y1, x2, y2, width = v
            mvg += line_path(colour, f"M {x1},{y1} L {x2},{y2}", width)
        else:
            (first, *rest), = v
            d = f"M {first[0]},{first[1]} " + " ".join(f"L {px},{py}" for px, py in rest) + " Z"
            mvg += fill(colour, f"path '{d}'")
    return mvg


def notebook_mvg(x, y, w, h, line_colour, ring_colour, page_colour="#FFFFFF", ribbon=True, lines=4):
    return shapes_mvg(notebook_shapes(x, y, w, h, line_colour, ring_colour, page_colour, ribbon,
                                      lines))


def app_icon(size):
    s = size / 64
    tile = draw(size, size, fill("#000000", f"roundrectangle {1 * s},{1 * s} {63 * s},{63 * s} {13 * s},{13 * s}"))
    top, bottom = rgb(ICON_TOP), rgb(ICON_BOTTOM)
    pic = tile.tinted(lambda x, y: mix(top, bottom, y / max(1, size - 1)))
    shadow = draw(size, size, fill(ICON_SHADOW, f"roundrectangle {17 * s},{13 * s} {51 * s},{55 * s} {4 * s},{4 * s}"))
    for p in shadow.px:
        p[3] *= 0.45
    pic.over(shadow)
    small = size <= 16  # fewer, darker lines that survive at icon size
    pic.over(draw(size, size, notebook_mvg(15 * s, 10 * s, 34 * s, 42 * s,
                                           "#6F93C8" if small else "#9DB7DA", "#DCE6F4",
                                           lines=2 if small else 4)))
    return pic


ICON_TOP, ICON_BOTTOM, ICON_SHADOW = "#5C98E2", "#2C5DAA", "#1B3B72"


def app_icon_svg():
    """The program icon at 64 units as SVG, from the shapes app_icon() draws
    at its larger sizes."""
    def svg_shape(kind, colour, *v):
        if kind == "rrect":
            x1, y1, x2, y2, r = (round(n, 3) for n in v)
            return (f'<rect x="{x1}" y="{y1}" width="{round(x2 - x1, 3)}" '
                    f'height="{round(y2 - y1, 3)}" rx="{r}" fill="{colour}"/>')
        if kind == "line":
            x1, y1, x2, y2, width = (round(n, 3) for n in v)
            return (f'<line x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}" stroke="{colour}" '
                    f'stroke-width="{width}" stroke-linecap="round"/>')
        points = " ".join(f"{round(x, 3)},{round(y, 3)}" for x, y in v[0])
        return f'<polygon points="{points}" fill="{colour}"/>'

    body = "\n  ".join(svg_shape(*shape) for shape in
                       notebook_shapes(15, 10, 34, 42, "#9DB7DA", "#DCE6F4"))
    return f"""<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <defs>
    <linearGradient id="tile" x1="0" y1="0" x2="0" y2="64" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="{ICON_TOP}"/>
      <stop offset="1" stop-color="{ICON_BOTTOM}"/>
    </linearGradient>
  </defs>
  <rect x="1" y="1" width="62" height="62" rx="13" fill="url(#tile)"/>
  <rect x="17" y="13" width="34" height="42" rx="4" fill="{ICON_SHADOW}" fill-opacity="0.45"/>
  {body}
</svg>
"""


def save_menu_icons():
    for size in MENU_ICON_SIZES:
        save(app_icon(size), f"icons/hicolor/{size}x{size}/apps/korvane.png", root=PACKAGE)
    svg = os.path.join(PACKAGE, "icons/hicolor/scalable/apps/korvane.svg")
    os.makedirs(os.path.dirname(svg), exist_ok=True)
    with open(svg, "w") as f:
        f.write(app_icon_svg())


def logo(k=1):
    pic = draw(34, 30, notebook_mvg(12.5, 6.5, 14, 17.5, "#8FB0DC", "#DCE6F4"), k=k)
    return pic


def caption_button(glyph, k=1):
    disc = draw(18, 18, fill("#FFFFFF", circle(9, 9, 8.2)), k=k)
    for p in disc.px:
        p[3] *= 0.2
    if glyph == "hide":
        mark = line_path("#FFFFFF", "M 5.4,9.6 L 12.6,9.6", 1.8)
    else:
        mark = line_path("#FFFFFF", "M 5.9,5.9 L 12.1,12.1 M 12.1,5.9 L 5.9,12.1", 1.8)
    return disc.over(draw(18, 18, mark, k=k))


# --------------------------------------------------------------------------


def save_sharp(pic_at, path):
    """A picture with full transparency at 1x as <path>.png and at 2x as
    <path>@2x.png: the page picks one by the screen's pixel ratio, on the
    light and the dark box alike."""
    save(pic_at(1), f"{path}.png")
    save(pic_at(2), f"{path}@2x.png")


def main():
    if not os.path.exists(CONVERT):
        sys.exit(f"{CONVERT} is missing: install the imagemagick package")
    box = BOX_BG
    save(draw(1, 1, ""), "hd/image/spacer.gif", matte=box)
    save(pencil_icon(), "hd/image/sedit.gif", matte=box)
    save(trash_icon(), "hd/image/dele.gif", matte=box)
    save_sharp(pencil_icon, "hd/image/sedit")
    save_sharp(trash_icon, "hd/image/dele")
    for letters, colour in BADGES.items():
        save(badge(letters, colour), f"hd/image/{letters}.gif", matte=box)
        save_sharp(lambda k: badge(letters, colour, k), f"hd/image/{letters}")
    for name, pic in corners().items():
        save(pic, f"hd/images/box/{name}.jpg", matte=PAGE_BG)
    for name, pic in corners(2).items():
        save(pic, f"hd/images/box/{name}@2x.png")
    dark = (PAGE_BG_DARK, BOX_BG_DARK, BOX_BORDER_DARK)
    for name, pic in corners(1, dark).items():
        save(pic, f"hd/images/box/{name}-dark.png")
    for name, pic in corners(2, dark).items():
        save(pic, f"hd/images/box/{name}-dark@2x.png")
    for n in range(len(FACES)):
        pic = face(n)
        save(pic, f"hd/icons/{n}.gif", matte=box)
        save(pic, f"bmp/{n}.bmp", matte=(255, 255, 255))
        # Transparent faces for the dark page and editor, and for 2x screens.
        save(pic, f"hd/icons/{n}.png")
        save(face(n, 2), f"hd/icons/{n}@2x.png")
        save(pic, f"bmp/{n}.png")
        save(face(n, 2), f"bmp/{n}@2x.png")

    save(app_icon(64), "skin/korvane.png")
    save(app_icon(32), "skin/korvane-32.png")
    save(app_icon(16), "skin/korvane-16.png")
    for k, suffix in ((1, ""), (2, "@2x")):
        for colours, theme in ((CAPTION_LIGHT, ""), (CAPTION_DARK, "-dark")):
            save(caption_piece(8, None, k, colours), f"skin/caption{theme}{suffix}.png")
            save(caption_piece(12, "left", k, colours), f"skin/caption_left{theme}{suffix}.png")
            save(caption_piece(11, "right", k, colours), f"skin/caption_right{theme}{suffix}.png")
        save(logo(k), f"skin/logo{suffix}.png")
        save(caption_button("hide", k), f"skin/btn_hide{suffix}.png")
        save(caption_button("close", k), f"skin/btn_close{suffix}.png")
    save_menu_icons()


if __name__ == "__main__":
    main()
