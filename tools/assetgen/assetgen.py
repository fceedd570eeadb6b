#!/usr/bin/python3
"""Draws every picture the Zorvan client shows and writes them as GIF files.

    /usr/bin/python3 tools/assetgen/assetgen.py [--out DIR] [--sheet DIR]

Numeric resources go to <out>/gif/<id>.gif, the windows' design-time pictures to
<out>/named/<name>.gif, and the header listing the design-time names to
<out>/include/zorvan/asset_names.h.  Contact sheets (PNG, for looking at, not
committed) go to the sheet folder.  The output is byte-for-byte the same on every
run: nothing random without a fixed seed, no timestamps.
"""

import argparse
import math
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))

CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
SANS_COND_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"
SERIF_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"

# Card sizes: the hand's card images are 90 x 120 table pixels; the reduced layout
# scales the table by 0.78125, which gives 70 x 94 for the small set.
CARD_W, CARD_H = 90, 120
SMALL_W, SMALL_H = 70, 94

SS = 4  # supersampling factor for small drawings

RED = (200, 16, 32)
BLACK = (20, 20, 20)
GOLD = (236, 196, 80)
WHITE = (255, 255, 255)

_fonts = {}


def font(path, size):
    key = (path, int(size))
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(path, max(1, int(size)))
    return _fonts[key]


def cjk(size):
    return font(CJK_FONT, size)


# ---------------------------------------------------------------- GIF output

def to_gif_image(img):
    """RGBA or RGB -> palette image; pixels with alpha < 128 become index 255,
    which is declared transparent. Returns (image, transparency index or None)."""
    if img.mode == "RGBA":
        alpha = img.getchannel("A")
        rgb = Image.new("RGB", img.size, (0, 0, 0))
        rgb.paste(img.convert("RGB"), mask=alpha)
        has_clear = alpha.point(lambda a: 255 if a < 128 else 0).getbbox() is not None
    else:
        rgb = img.convert("RGB")
        alpha = None
        has_clear = False
    colours = 255 if has_clear else 256
    pal = rgb.quantize(colors=colours, method=Image.Quantize.MEDIANCUT,
                       dither=Image.Dither.NONE)
    if not has_clear:
        return pal, None
    palette = pal.getpalette()[: 3 * 255]
    palette += [0] * (3 * 256 - len(palette))
    palette[3 * 255: 3 * 256] = [255, 0, 255]
    pal.putpalette(palette)
    clear = alpha.point(lambda a: 255 if a < 128 else 0)
    pal.paste(255, mask=clear)
    return pal, 255


def save_gif(img, path):
    pal, trans = to_gif_image(img)
    kw = {"optimize": False}
    if trans is not None:
        kw["transparency"] = trans
    pal.save(path, format="GIF", **kw)


def save_animated_gif(frames, delays, path):
    pals = []
    for f in frames:
        pal, trans = to_gif_image(f)
        if trans is not None:
            pal.info["transparency"] = trans
        pals.append(pal)
    kw = {}
    if "transparency" in pals[0].info:
        kw["transparency"] = pals[0].info["transparency"]
    # disposal 2: each frame is cleared before the next, so the shrinking words leave no trace
    pals[0].save(path, format="GIF", save_all=True, append_images=pals[1:],
                 duration=list(delays), loop=0, disposal=2, optimize=False, **kw)


# ---------------------------------------------------------------- drawing helpers

def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def vgradient(w, h, top, bottom):
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (w, y)], fill=lerp(top, bottom, y / max(1, h - 1)))
    return img


def radial(w, h, inner, outer, cx=None, cy=None):
    """Smooth radial fill, quantised into rings so the GIF stays small."""
    cx = w / 2 if cx is None else cx
    cy = h / 2 if cy is None else cy
    img = Image.new("RGB", (w, h), outer)
    d = ImageDraw.Draw(img)
    rmax = math.hypot(max(cx, w - cx), max(cy, h - cy))
    steps = 48
    for i in range(steps, 0, -1):
        r = rmax * i / steps
        d.ellipse([cx - r * 1.15, cy - r, cx + r * 1.15, cy + r],
                  fill=lerp(inner, outer, i / steps))
    return img


def text_size(d, text, f):
    b = d.textbbox((0, 0), text, font=f)
    return b[2] - b[0], b[3] - b[1], b[0], b[1]


def draw_text_centered(d, box, text, f, fill, stroke=0, stroke_fill=None):
    x0, y0, x1, y1 = box
    tw, th, ox, oy = text_size(d, text, f)
    x = x0 + (x1 - x0 - tw) / 2 - ox
    y = y0 + (y1 - y0 - th) / 2 - oy
    d.text((x, y), text, font=f, fill=fill, stroke_width=stroke,
           stroke_fill=stroke_fill)


def fit_font(d, text, path, size, max_w):
    while size > 6:
        f = font(path, size)
        if text_size(d, text, f)[0] <= max_w:
            return f
        size -= 1
    return font(path, size)


def downsample(img, w, h):
    return img.resize((w, h), Image.LANCZOS)


def rounded_panel(w, h, top, bottom, radius, border=None, border_w=1, alpha_outside=True):
    """A vertically shaded rounded rectangle on a transparent ground."""
    W, H = w * SS, h * SS
    grad = vgradient(W, H, top, bottom).convert("RGBA")
    mask = Image.new("L", (W, H), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, W - 1, H - 1], radius * SS, fill=255)
    out = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    out.paste(grad, mask=mask)
    if border:
        ImageDraw.Draw(out).rounded_rectangle([0, 0, W - 1, H - 1], radius * SS,
                                              outline=border, width=border_w * SS)
    return out


# ---------------------------------------------------------------- cards

SUIT_GLYPH = ["\u2666", "\u2663", "\u2665", "\u2660"]  # diamonds, clubs, hearts, spades
SUIT_COLOUR = [RED, BLACK, RED, BLACK]
RANK_TEXT = {3: "3", 4: "4", 5: "5", 6: "6", 7: "7", 8: "8", 9: "9", 10: "10",
             11: "J", 12: "Q", 13: "K", 14: "A", 15: "2"}
PIP_COUNT = {15: 2, 3: 3, 4: 4, 5: 5, 6: 6, 7: 7, 8: 8, 9: 9, 10: 10}

_L, _M, _R = 0.31, 0.5, 0.69
PIP_LAYOUT = {
    2: [(_M, .18), (_M, .82)],
    3: [(_M, .18), (_M, .5), (_M, .82)],
    4: [(_L, .18), (_R, .18), (_L, .82), (_R, .82)],
    5: [(_L, .18), (_R, .18), (_M, .5), (_L, .82), (_R, .82)],
    6: [(_L, .18), (_R, .18), (_L, .5), (_R, .5), (_L, .82), (_R, .82)],
    7: [(_L, .18), (_R, .18), (_M, .34), (_L, .5), (_R, .5), (_L, .82), (_R, .82)],
    8: [(_L, .18), (_R, .18), (_M, .34), (_L, .5), (_R, .5), (_M, .66), (_L, .82), (_R, .82)],
    9: [(_L, .18), (_R, .18), (_L, .39), (_R, .39), (_M, .5), (_L, .61), (_R, .61),
        (_L, .82), (_R, .82)],
    10: [(_L, .18), (_R, .18), (_M, .29), (_L, .39), (_R, .39), (_L, .61), (_R, .61),
         (_M, .71), (_L, .82), (_R, .82)],
}


def glyph_image(text, f, colour, rotate=False):
    probe = ImageDraw.Draw(Image.new("L", (1, 1)))
    b = probe.textbbox((0, 0), text, font=f)
    im = Image.new("RGBA", (b[2] - b[0] + 2, b[3] - b[1] + 2), (0, 0, 0, 0))
    ImageDraw.Draw(im).text((1 - b[0], 1 - b[1]), text, font=f, fill=colour)
    return im.rotate(180) if rotate else im


def paste_centered(base, im, cx, cy):
    base.alpha_composite(im, (int(round(cx - im.width / 2)), int(round(cy - im.height / 2))))


def card_blank(W, H, radius):
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, W - 1, H - 1], radius, fill=(252, 252, 248, 255),
                        outline=(90, 90, 90, 255), width=max(2, W // 70))
    return img


def corner_index(img, W, H, rank, suit, small):
    colour = SUIT_COLOUR[suit]
    rank_frac = 0.26 if small else 0.23
    rf = font(SANS_COND_BOLD, W * rank_frac) if rank != "10" else font(SANS_COND_BOLD, W * rank_frac * 0.86)
    sf = font(SANS, W * (0.2 if small else 0.17))
    r_im = glyph_image(rank, rf, colour)
    s_im = glyph_image(SUIT_GLYPH[suit], sf, colour)
    cx = W * (0.135 if small else 0.12)
    y = H * 0.035
    img.alpha_composite(r_im, (int(cx - r_im.width / 2), int(y)))
    y2 = y + r_im.height + H * 0.012
    img.alpha_composite(s_im, (int(cx - s_im.width / 2), int(y2)))
    # the same index upside down in the opposite corner
    both = Image.new("RGBA", img.size, (0, 0, 0, 0))
    both.alpha_composite(r_im, (int(cx - r_im.width / 2), int(y)))
    both.alpha_composite(s_im, (int(cx - s_im.width / 2), int(y2)))
    img.alpha_composite(both.rotate(180))


def draw_card_face(code, w, h, small=False):
    suit, slot = code // 16, code % 16
    W, H = w * SS, h * SS
    img = card_blank(W, H, int(W * 0.08))
    d = ImageDraw.Draw(img)
    colour = SUIT_COLOUR[suit]
    rank = RANK_TEXT[slot]
    corner_index(img, W, H, rank, suit, small)
    # middle area, clear of the corner indices
    ax0, ax1 = W * 0.22, W * 0.78
    ay0, ay1 = H * 0.08, H * 0.92
    if slot == 14:  # ace: one big suit symbol
        big = glyph_image(SUIT_GLYPH[suit], font(SANS, W * 0.62), colour)
        paste_centered(img, big, W / 2, H / 2)
    elif slot in (11, 12, 13):
        inset = 0.25 if small else 0.22
        fx0, fy0, fx1, fy1 = W * inset, H * 0.13, W * (1 - inset), H * 0.87
        panel = (255, 240, 196) if suit in (0, 2) else (222, 232, 250)
        d.rectangle([fx0, fy0, fx1, fy1], fill=panel, outline=colour, width=SS * 2)
        d.rectangle([fx0 + 3 * SS, fy0 + 3 * SS, fx1 - 3 * SS, fy1 - 3 * SS],
                    outline=GOLD, width=SS)
        letter = glyph_image(rank, font(SERIF_BOLD, W * 0.40), colour)
        paste_centered(img, letter, W / 2, H * 0.40)
        sym = glyph_image(SUIT_GLYPH[suit], font(SANS, W * 0.30), colour)
        paste_centered(img, sym, W / 2, H * 0.66)
        # a small crown over the king, a flower over the queen, a feather for the jack
        cx, cy, u = W / 2, H * 0.21, W * 0.045
        if slot == 13:
            d.polygon([(cx - 3 * u, cy + u), (cx - 3 * u, cy - u), (cx - 1.5 * u, cy),
                       (cx, cy - 1.6 * u), (cx + 1.5 * u, cy), (cx + 3 * u, cy - u),
                       (cx + 3 * u, cy + u)], fill=GOLD, outline=(150, 110, 20))
        elif slot == 12:
            for a in range(5):
                ang = a * 2 * math.pi / 5
                px, py = cx + 1.2 * u * math.cos(ang), cy + 1.2 * u * math.sin(ang)
                d.ellipse([px - u, py - u, px + u, py + u], fill=(230, 120, 160))
            d.ellipse([cx - 0.7 * u, cy - 0.7 * u, cx + 0.7 * u, cy + 0.7 * u], fill=GOLD)
        else:
            d.polygon([(cx - 2.5 * u, cy + u), (cx + 2.5 * u, cy - 1.2 * u),
                       (cx + 1.5 * u, cy + 0.4 * u)], fill=(60, 140, 90))
    else:
        n = PIP_COUNT[slot]
        pf = font(SANS, W * (0.27 if n <= 3 else 0.23) * (0.88 if small else 1.0))
        up = glyph_image(SUIT_GLYPH[suit], pf, colour)
        down = up.rotate(180)
        # the small set has relatively larger corner indices: pull the columns inwards
        squeeze = 0.8 if small else 1.0
        for fx, fy in PIP_LAYOUT[n]:
            x = W * (0.5 + (fx - 0.5) * squeeze)
            y = ay0 + (ay1 - ay0) * fy
            paste_centered(img, down if fy > 0.55 else up, x, y)
    return downsample(img, w, h)


def draw_joker(big, w, h):
    W, H = w * SS, h * SS
    img = card_blank(W, H, int(W * 0.08))
    d = ImageDraw.Draw(img)
    colour = RED if big else BLACK
    # corner: the letters JOKER one under another
    lf = font(SANS_COND_BOLD, W * 0.13)
    col = Image.new("RGBA", img.size, (0, 0, 0, 0))
    cd = ImageDraw.Draw(col)
    y = H * 0.03
    for ch in "JOKER":
        tw, th, ox, oy = text_size(cd, ch, lf)
        cd.text((W * 0.11 - tw / 2 - ox, y - oy), ch, font=lf, fill=colour)
        y += th + H * 0.012
    img.alpha_composite(col)
    img.alpha_composite(col.rotate(180))
    # the jester: a star-crowned face
    cx, cy = W * 0.55, H * 0.45
    r = W * 0.2
    if big:
        hat = [(200, 30, 40), (250, 190, 30), (40, 110, 210)]
        face = (255, 222, 180)
        outline = (120, 20, 20)
    else:
        hat = [(40, 40, 40), (120, 120, 120), (70, 70, 70)]
        face = (235, 235, 235)
        outline = (10, 10, 10)
    # three-pointed cap
    pts = [(cx - 1.6 * r, cy - 2.2 * r), (cx, cy - 2.6 * r), (cx + 1.6 * r, cy - 2.2 * r)]
    for i, (px, py) in enumerate(pts):
        d.polygon([(cx - r, cy - 0.6 * r), (px, py), (cx + r, cy - 0.6 * r)], fill=hat[i],
                  outline=outline)
        d.ellipse([px - 0.25 * r, py - 0.25 * r, px + 0.25 * r, py + 0.25 * r],
                  fill=hat[(i + 1) % 3], outline=outline)
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=face, outline=outline, width=SS)
    d.ellipse([cx - 0.45 * r, cy - 0.3 * r, cx - 0.2 * r, cy - 0.05 * r], fill=outline)
    d.ellipse([cx + 0.2 * r, cy - 0.3 * r, cx + 0.45 * r, cy - 0.05 * r], fill=outline)
    d.arc([cx - 0.55 * r, cy - 0.2 * r, cx + 0.55 * r, cy + 0.6 * r], 20, 160,
          fill=(200, 30, 40) if big else outline, width=SS * 2)
    # collar
    for i in range(5):
        a0 = 200 + i * 28
        px = cx + 1.3 * r * math.cos(math.radians(a0 + 14 - 180))
        d.pieslice([cx - 1.4 * r, cy + 0.6 * r, cx + 1.4 * r, cy + 2.2 * r], a0 - 180, a0 - 152,
                   fill=hat[i % 3], outline=outline)
    name = "大王" if big else "小王"
    draw_text_centered(d, (W * 0.2, H * 0.74, W * 0.9, H * 0.92), name, cjk(W * 0.2), colour)
    return downsample(img, w, h)


def back_pattern(W, H, radius):
    """A blue card back with a lattice and an emblem, at supersampled size."""
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, W - 1, H - 1], radius, fill=(250, 250, 250, 255),
                        outline=(70, 70, 90, 255), width=max(2, W // 70))
    m = W * 0.07
    inner = [m, m, W - m, H - m]
    d.rounded_rectangle(inner, radius * 0.6, fill=(28, 64, 150))
    layer = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    ld = ImageDraw.Draw(layer)
    step = W / 7.0
    lw = max(1, int(W / 90))
    k = -H
    while k < W + H:
        ld.line([(k, 0), (k + H, H)], fill=(120, 160, 230), width=lw)
        ld.line([(k + H, 0), (k, H)], fill=(120, 160, 230), width=lw)
        k += step
    clip = Image.new("L", (W, H), 0)
    ImageDraw.Draw(clip).rounded_rectangle(inner, radius * 0.6, fill=255)
    img.paste(layer, mask=Image.composite(layer.getchannel("A"), Image.new("L", (W, H), 0), clip))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle(inner, radius * 0.6, outline=(200, 210, 240), width=lw * 2)
    cx, cy, r = W / 2, H / 2, W * 0.2
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(180, 30, 40), outline=GOLD, width=lw * 3)
    d.regular_polygon((cx, cy, r * 0.62), 4, rotation=45, fill=GOLD)
    return img


def draw_back(w, h):
    W, H = w * SS, h * SS
    return downsample(back_pattern(W, H, int(W * 0.08)), w, h)


def fan_of_backs(n, horizontal, cw, ch, step):
    """n overlapping backs: a row (top player) or a column of sideways cards."""
    back = draw_back(cw, ch)
    if horizontal:
        w, h = cw + (n - 1) * step, ch
    else:
        back = back.rotate(90, expand=True)
        w, h = back.width, back.height + (n - 1) * step
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    for i in range(n):
        img.alpha_composite(back, (i * step, 0) if horizontal else (0, i * step))
    return img


# ---------------------------------------------------------------- buttons

BUTTON_STYLES = {
    # normal top, normal bottom, normal text, hover top, hover bottom, hover text, border
    "main": ((120, 70, 30), (70, 36, 12), (255, 226, 150),
             (200, 130, 50), (130, 70, 20), (255, 255, 255), (40, 20, 6)),
    "dialog": ((70, 130, 200), (30, 70, 140), (255, 255, 255),
               (110, 180, 250), (50, 110, 200), (255, 250, 200), (16, 36, 80)),
    "play": ((60, 150, 70), (20, 90, 30), (255, 255, 255),
             (110, 210, 110), (40, 140, 50), (255, 255, 160), (10, 50, 16)),
    "grey": ((150, 150, 150), (100, 100, 100), (210, 210, 210),
             (150, 150, 150), (100, 100, 100), (210, 210, 210), (60, 60, 60)),
    "switch_on": ((60, 170, 80), (30, 110, 40), (255, 255, 255),
                  (60, 170, 80), (30, 110, 40), (255, 255, 255), (10, 60, 20)),
    "switch_off": ((170, 70, 60), (110, 30, 25), (255, 255, 255),
                   (170, 70, 60), (110, 30, 25), (255, 255, 255), (60, 10, 10)),
    "pressed": ((70, 40, 16), (110, 64, 26), (230, 200, 130),
                (70, 40, 16), (110, 64, 26), (230, 200, 130), (30, 14, 4)),
}


def button(w, h, label, style="main", hover=False, text_frac=0.55):
    s = BUTTON_STYLES[style]
    top, bottom, tcol = (s[3], s[4], s[5]) if hover else (s[0], s[1], s[2])
    img = rounded_panel(w, h, top, bottom, max(3, h // 5), border=s[6], border_w=1)
    d = ImageDraw.Draw(img)
    W, H = w * SS, h * SS
    # highlight on the upper half
    hl = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    ImageDraw.Draw(hl).rounded_rectangle([SS * 2, SS * 2, W - SS * 2, H * 0.48],
                                         max(3, h // 6) * SS, fill=(255, 255, 255, 45))
    img.alpha_composite(hl)
    if hover:
        d.rounded_rectangle([SS, SS, W - 1 - SS, H - 1 - SS], max(3, h // 5) * SS,
                            outline=(255, 236, 120), width=SS)
    f = fit_font(d, label, CJK_FONT, H * text_frac, W - 6 * SS)
    draw_text_centered(d, (0, 0, W, H), label, f, tcol, stroke=SS, stroke_fill=(0, 0, 0, 160))
    return downsample(img, w, h)


# Main buttons, entries 0-19 of the button picture table: (label, hover) pairs.
MAIN_BUTTON_LABELS = ["发送", "聊天", "开始", "准备", "音效", "隐藏", "战绩", "英雄榜",
                      "帮助", "退出"]


def main_button_entry(i, small):
    label = MAIN_BUTTON_LABELS[i // 2]
    hover = i % 2 == 1
    w = 50 if i < 2 else 60
    h = 30
    if small:
        w, h = round(w * 0.78125), round(h * 0.78125)
    return button(w, h, label, "main", hover)


# ---------------------------------------------------------------- avatars

SKIN = [(255, 224, 189), (241, 194, 150), (224, 172, 125), (198, 140, 95), (255, 212, 170)]
HAIR = [(30, 24, 20), (70, 44, 24), (110, 70, 30), (20, 20, 30), (150, 100, 50),
        (60, 60, 60), (180, 140, 80), (40, 30, 60), (90, 30, 20), (200, 200, 200)]
SHIRT = [(40, 90, 170), (170, 40, 40), (40, 140, 80), (120, 60, 150), (220, 140, 30),
         (30, 120, 140), (90, 90, 100), (200, 80, 130), (60, 60, 160), (150, 110, 60)]


def avatar(index, w=85, h=90):
    female = index >= 10
    k = index % 10
    W, H = w * SS, h * SS
    bg_top = (250, 215, 230) if female else (200, 225, 250)
    bg_bot = (220, 150, 190) if female else (110, 160, 220)
    img = rounded_panel(w, h, lerp(bg_top, (255, 255, 255), (k % 3) * 0.1), bg_bot, 8,
                        border=(60, 60, 80), border_w=1)
    d = ImageDraw.Draw(img)
    skin = SKIN[(k * 3 + (1 if female else 0)) % len(SKIN)]
    hair = HAIR[(k * 7 + (3 if female else 0)) % len(HAIR)]
    shirt = SHIRT[(k * 3 + (5 if female else 0)) % len(SHIRT)]
    cx = W / 2
    hr = W * 0.22       # head radius
    hcy = H * 0.42
    # long hair behind the head
    if female and k not in (3, 7):
        length = H * (0.78 if k % 2 == 0 else 0.64)
        d.rounded_rectangle([cx - hr * 1.25, hcy - hr * 1.05, cx + hr * 1.25, length],
                            hr * 0.6, fill=hair)
    # shoulders and neck
    d.ellipse([cx - W * 0.42, H * 0.72, cx + W * 0.42, H * 1.25], fill=shirt)
    d.rectangle([cx - hr * 0.35, hcy + hr * 0.7, cx + hr * 0.35, H * 0.78], fill=skin)
    if female:
        d.polygon([(cx - W * 0.12, H * 0.76), (cx, H * 0.86), (cx + W * 0.12, H * 0.76)],
                  fill=skin)
    else:
        d.polygon([(cx - W * 0.1, H * 0.74), (cx, H * 0.84), (cx + W * 0.1, H * 0.74)],
                  fill=(245, 245, 245))
        if k % 2 == 0:  # tie
            d.polygon([(cx - W * 0.025, H * 0.78), (cx + W * 0.025, H * 0.78),
                       (cx + W * 0.04, H * 0.98), (cx - W * 0.04, H * 0.98)],
                      fill=(180, 30, 30) if k % 4 == 0 else (30, 30, 120))
    # head
    d.ellipse([cx - hr, hcy - hr * 1.1, cx + hr, hcy + hr * 1.05], fill=skin)
    d.ellipse([cx - hr * 1.13, hcy - hr * 0.1, cx - hr * 0.85, hcy + hr * 0.35], fill=skin)
    d.ellipse([cx + hr * 0.85, hcy - hr * 0.1, cx + hr * 1.13, hcy + hr * 0.35], fill=skin)
    # hair on top
    style = k % 5
    if female:
        if k in (3, 7):   # bun
            d.ellipse([cx - hr * 0.5, hcy - hr * 1.9, cx + hr * 0.5, hcy - hr * 0.9], fill=hair)
        d.chord([cx - hr * 1.08, hcy - hr * 1.2, cx + hr * 1.08, hcy + hr * 0.6], 180, 360,
                fill=hair)
        if k % 3 == 1:  # fringe
            d.rectangle([cx - hr * 0.9, hcy - hr * 0.6, cx + hr * 0.9, hcy - hr * 0.3], fill=hair)
        if k in (4, 9):  # ponytail ribbon
            d.ellipse([cx + hr * 0.8, hcy - hr * 1.0, cx + hr * 1.3, hcy - hr * 0.5],
                      fill=(230, 60, 110))
        if k % 2 == 1:  # earrings
            for sx in (-1, 1):
                ex = cx + sx * hr * 1.0
                d.ellipse([ex - W * 0.015, hcy + hr * 0.4, ex + W * 0.015, hcy + hr * 0.55],
                          fill=GOLD)
    else:
        if style == 0:      # short crop
            d.chord([cx - hr * 1.05, hcy - hr * 1.18, cx + hr * 1.05, hcy + hr * 0.3], 180, 360,
                    fill=hair)
        elif style == 1:    # side parting
            d.chord([cx - hr * 1.08, hcy - hr * 1.25, cx + hr * 1.08, hcy + hr * 0.2], 180, 360,
                    fill=hair)
            d.polygon([(cx - hr * 1.0, hcy - hr * 0.4), (cx + hr * 0.2, hcy - hr * 1.1),
                       (cx - hr * 0.2, hcy - hr * 0.4)], fill=hair)
        elif style == 2:    # spiky
            for i in range(7):
                x = cx - hr + i * hr / 3
                d.polygon([(x - hr * 0.25, hcy - hr * 0.6), (x, hcy - hr * 1.5),
                           (x + hr * 0.25, hcy - hr * 0.6)], fill=hair)
            d.chord([cx - hr, hcy - hr * 1.1, cx + hr, hcy + hr * 0.1], 180, 360, fill=hair)
        elif style == 3:    # cap
            d.chord([cx - hr * 1.1, hcy - hr * 1.3, cx + hr * 1.1, hcy + hr * 0.1], 180, 360,
                    fill=shirt)
            d.rectangle([cx - hr * 1.3, hcy - hr * 0.62, cx + hr * 0.4, hcy - hr * 0.45],
                        fill=lerp(shirt, (0, 0, 0), 0.3))
        else:               # bald with a fringe at the sides
            d.chord([cx - hr * 1.05, hcy - hr * 0.7, cx - hr * 0.6, hcy + hr * 0.2], 90, 270,
                    fill=hair)
            d.chord([cx + hr * 0.6, hcy - hr * 0.7, cx + hr * 1.05, hcy + hr * 0.2], 270, 90,
                    fill=hair)
        if k >= 5 and k % 2 == 1:  # beard
            d.chord([cx - hr * 0.8, hcy + hr * 0.1, cx + hr * 0.8, hcy + hr * 1.1], 0, 180,
                    fill=hair)
    # face
    ey = hcy - hr * 0.05
    for sx in (-1, 1):
        ex = cx + sx * hr * 0.4
        d.ellipse([ex - W * 0.022, ey - W * 0.022, ex + W * 0.022, ey + W * 0.022],
                  fill=(30, 30, 40))
        if female:
            d.line([(ex - W * 0.03, ey - W * 0.03), (ex - W * 0.045, ey - W * 0.045)],
                   fill=(30, 30, 40), width=SS)
    if (not female and k in (2, 6)) or (female and k == 8):  # glasses
        for sx in (-1, 1):
            ex = cx + sx * hr * 0.4
            d.ellipse([ex - W * 0.06, ey - W * 0.05, ex + W * 0.06, ey + W * 0.05],
                      outline=(20, 20, 20), width=SS * 2)
        d.line([(cx - hr * 0.15, ey), (cx + hr * 0.15, ey)], fill=(20, 20, 20), width=SS * 2)
    mouth = (200, 60, 80) if female else (150, 70, 60)
    d.arc([cx - hr * 0.35, hcy + hr * 0.2, cx + hr * 0.35, hcy + hr * 0.6], 20, 160,
          fill=mouth, width=SS * 2)
    if female:
        for sx in (-1, 1):
            ex = cx + sx * hr * 0.55
            d.ellipse([ex - W * 0.03, hcy + hr * 0.2, ex + W * 0.03, hcy + hr * 0.36],
                      fill=(250, 160, 160))
    return downsample(img, w, h)


# ---------------------------------------------------------------- marks and banners

READY_TIERS = [((200, 130, 70), (130, 70, 30)),    # copper: few coins
               ((220, 220, 230), (140, 140, 160)),  # silver
               ((255, 220, 90), (200, 140, 20))]    # gold: many coins


def ready_mark(tier, w=60, h=40):
    top, bottom = READY_TIERS[tier]
    img = rounded_panel(w, h, top, bottom, 8, border=(60, 40, 10), border_w=1)
    d = ImageDraw.Draw(img)
    W, H = w * SS, h * SS
    # one star per coin tier along the top, the word below
    n = tier + 1
    for i in range(n):
        x = W / 2 + (i - (n - 1) / 2) * H * 0.24
        d.regular_polygon((x, H * 0.17, H * 0.1), 5, rotation=0, fill=(170, 20, 20))
    draw_text_centered(d, (0, H * 0.3, W, H * 0.98), "准备", cjk(H * 0.52), (70, 16, 6),
                       stroke=SS, stroke_fill=(255, 255, 255, 150))
    return downsample(img, w, h)


def banner_text(w, h, text, fill, outline, size_frac=0.7, bg=None):
    W, H = w * SS, h * SS
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    if bg:
        d.rounded_rectangle([SS * 2, H * 0.1, W - SS * 2, H * 0.9], H * 0.2, fill=bg,
                            outline=outline, width=SS * 3)
    f = fit_font(d, text, CJK_FONT, H * size_frac, W * 0.92)
    # a soft shadow then the outlined letters
    draw_text_centered(d, (SS * 4, SS * 4, W + SS * 4, H + SS * 4), text, f, (0, 0, 0, 110),
                       stroke=SS * 3, stroke_fill=(0, 0, 0, 110))
    draw_text_centered(d, (0, 0, W, H), text, f, fill, stroke=SS * 3, stroke_fill=outline)
    return downsample(img, w, h)


def heart_shape(d, cx, cy, r, fill, outline=None, width=1):
    d.ellipse([cx - r, cy - r * 0.75, cx, cy + r * 0.25], fill=fill)
    d.ellipse([cx, cy - r * 0.75, cx + r, cy + r * 0.25], fill=fill)
    d.polygon([(cx - r * 0.97, cy - r * 0.1), (cx + r * 0.97, cy - r * 0.1), (cx, cy + r * 1.1)],
              fill=fill)


def red_five_frames():
    w = h = 200
    frames = []
    sizes = [0.30, 0.22, 0.15, 0.09, 0.04]
    for s in sizes:
        W, H = w * SS, h * SS
        img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        heart_shape(d, W / 2, H * 0.47, W * 0.46, (214, 20, 40))
        heart_shape(d, W / 2, H * 0.45, W * 0.38, (236, 50, 70))
        # a small five of hearts index on the heart
        draw_text_centered(d, (W * 0.15, H * 0.12, W * 0.38, H * 0.32), "5",
                           font(SANS_BOLD, W * 0.12), WHITE)
        f = cjk(W * s)
        lines = ["红五", "被吃"]
        for i, t in enumerate(lines):
            y0 = H * 0.45 + (i - 0.5) * H * s * 1.15
            draw_text_centered(d, (0, y0 - H * s / 2, W, y0 + H * s / 2), t, f, (255, 240, 120),
                               stroke=max(SS, int(W * s / 14)), stroke_fill=(90, 0, 10))
        frames.append(downsample(img, w, h))
    return frames


def card_stack(w=248, h=120):
    """Eight face-down cards laid over each other as the bottom stack."""
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    back = draw_back(CARD_W, CARD_H)
    step = (w - CARD_W) / 7.0
    for i in range(8):
        img.alpha_composite(back, (int(round(i * step)), 0))
    return img


def bank_button(hover):
    w, h = 56, 30
    img = button(w, h, "", "main", hover)
    W, H = w * SS, h * SS
    big = img.resize((W, H), Image.LANCZOS)
    d = ImageDraw.Draw(big)
    # a little chest
    x0, y0 = W * 0.07, H * 0.22
    d.rectangle([x0, y0 + H * 0.2, x0 + W * 0.26, y0 + H * 0.58], fill=(150, 90, 30),
                outline=GOLD, width=SS)
    d.chord([x0, y0, x0 + W * 0.26, y0 + H * 0.4], 180, 360, fill=(180, 110, 40), outline=GOLD,
            width=SS)
    d.rectangle([x0 + W * 0.11, y0 + H * 0.22, x0 + W * 0.15, y0 + H * 0.34], fill=GOLD)
    draw_text_centered(d, (W * 0.36, 0, W, H), "道具", cjk(H * 0.5),
                       WHITE if hover else (255, 226, 150), stroke=SS, stroke_fill=(0, 0, 0))
    return downsample(big, w, h)


def phrase_button(label, hover):
    w, h = 57, 13
    top, bot = ((255, 210, 110), (230, 150, 40)) if hover else ((250, 240, 210), (215, 190, 130))
    img = rounded_panel(w, h, top, bot, 3, border=(120, 80, 20), border_w=1)
    d = ImageDraw.Draw(img)
    draw_text_centered(d, (0, 0, w * SS, h * SS), label, cjk(11 * SS),
                       (140, 30, 10) if hover else (70, 40, 10))
    return downsample(img, w, h)


# ---------------------------------------------------------------- the numeric resources

def card_codes():
    for suit in range(4):
        for slot in range(3, 16):
            yield 16 * suit + slot


def small_card_id(suit, slot):
    return slot + 13 * suit + (300 if slot <= 13 else 287)


def build_gifs():
    """id -> image (or a list of frames for the animation)."""
    out = {}
    for code in card_codes():
        out[code] = draw_card_face(code, CARD_W, CARD_H)
        out[small_card_id(code // 16, code % 16)] = draw_card_face(code, SMALL_W, SMALL_H, small=True)
    out[16] = draw_joker(False, CARD_W, CARD_H)
    out[17] = draw_joker(True, CARD_W, CARD_H)
    out[18] = draw_back(CARD_W, CARD_H)
    out[353] = draw_joker(False, SMALL_W, SMALL_H)
    out[354] = draw_joker(True, SMALL_W, SMALL_H)

    # fans of backs: index 0 for 1-8 cards, 1 for 9-14, 2 for 15-19, 3 for 20 and more
    for i, n in enumerate([6, 12, 17, 25]):
        out[400 + i] = fan_of_backs(n, False, 58, 80, 8)    # left player
        out[410 + i] = fan_of_backs(n, True, 58, 80, 10)    # top player
        out[420 + i] = fan_of_backs(n, False, 58, 80, 8)    # right player

    for i in range(20):
        out[150 + i] = main_button_entry(i, small=False)
        if i >= 2:
            out[281 + i] = main_button_entry(i, small=True)
        # 130-149: the pressed look of the main buttons
        label = MAIN_BUTTON_LABELS[i // 2]
        out[130 + i] = button(50 if i < 2 else 60, 30, label, "pressed")

    out[170] = button(70, 30, "确定", "dialog")
    out[171] = button(70, 30, "确定", "dialog", hover=True)
    out[172] = button(70, 30, "取消", "dialog")
    out[173] = button(70, 30, "取消", "dialog", hover=True)
    out[174] = button(65, 30, "开", "switch_on")
    out[175] = button(65, 30, "关", "switch_off")
    out[176] = button(65, 30, "背景一", "dialog")
    out[177] = button(65, 30, "背景二", "dialog")

    play = [(178, "出牌"), (181, "提示"), (187, "排序"), (189, "上一轮"), (191, "恢复")]
    for pid, label in play:
        out[pid] = button(66, 32, label, "play")
        out[pid + 1] = button(66, 32, label, "play", hover=True)
    # greyed-out look of the play buttons
    for pid, label in zip([180, 183, 184, 185, 186], ["出牌", "提示", "排序", "上一轮", "恢复"]):
        out[pid] = button(66, 32, label, "grey")
    out[193] = button(66, 32, "埋底", "play")
    out[194] = button(66, 32, "埋底", "play", hover=True)

    for i in range(20):
        out[240 + i] = avatar(i)
        out[260 + i] = avatar(i, 70, 62)   # the avatar at the size of the other seats
    for t in range(3):
        out[280 + t] = ready_mark(t)
        out[212 + t] = ready_mark(t, 47, 31)   # reduced-layout ready marks
        out[360 + t] = ready_mark(t, 47, 31)

    out[450] = bank_button(False)
    out[451] = bank_button(True)
    out[516] = phrase_button("常用短语", False)
    out[517] = phrase_button("趣味短语", False)
    out[518] = phrase_button("常用短语", True)
    out[519] = phrase_button("趣味短语", True)

    out[601] = banner_text(250, 108, "反主", (255, 210, 40), (150, 20, 10))
    out[602] = banner_text(250, 108, "双扣", (255, 90, 60), (90, 10, 10))
    out[604] = banner_text(250, 108, "拖拉机", (120, 230, 255), (10, 50, 120))
    out[605] = card_stack()
    out[606] = red_five_frames()
    return out


RED_FIVE_DELAYS = [400, 300, 300, 200, 200]


# ---------------------------------------------------------------- design-time pictures

def felt(w, h, inner, outer, pattern, seed_text):
    img = radial(w, h, inner, outer)
    d = ImageDraw.Draw(img)
    # a faint diamond lattice and the name in the middle
    step = 64
    for x in range(-h, w + h, step):
        d.line([(x, 0), (x + h, h)], fill=pattern, width=1)
        d.line([(x + h, 0), (x, h)], fill=pattern, width=1)
    f = font(SERIF_BOLD, h * 0.1)
    draw_text_centered(d, (0, h * 0.38, w, h * 0.62), seed_text, f, lerp(inner, (255, 255, 255), 0.07))
    d.ellipse([w / 2 - h * 0.3, h / 2 - h * 0.2, w / 2 + h * 0.3, h / 2 + h * 0.2],
              outline=lerp(inner, (255, 255, 255), 0.09), width=2)
    return img


def table_background(choice, w, h):
    if choice == 0:
        return felt(w, h, (40, 130, 70), (10, 60, 30), (30, 100, 55), "Zorvan")
    return felt(w, h, (40, 90, 150), (14, 34, 80), (32, 74, 128), "Zorvan")


def skin_strip():
    """The frame pieces, 46 x 220 px: corners 8 x 20 (top), 8 x 8 (bottom), edges between."""
    w, h = 46, 220
    # the middle of the strip is never copied; it gets the frame's base colour
    img = Image.new("RGB", (w, h), (28, 52, 100))
    d = ImageDraw.Draw(img)
    # caption band: 20 px high
    top = vgradient(w, 20, (70, 110, 170), (28, 52, 100))
    img.paste(top, (0, 0))
    d.line([(0, 0), (w, 0)], fill=(150, 190, 240))
    # sides and bottom: 8 px, a bevelled band
    side = [(20, 40, 80), (46, 80, 140), (36, 66, 120), (28, 52, 100), (28, 52, 100),
            (36, 66, 120), (46, 80, 140), (20, 40, 80)]
    for x, c in enumerate(side):
        d.line([(x, 20), (x, h)], fill=c)
        d.line([(38 + x, 20), (38 + x, h)], fill=c)
    for y, c in enumerate(side):
        d.line([(0, 212 + y), (w, 212 + y)], fill=c)
    # the outer edge
    d.line([(0, 0), (0, h - 1)], fill=(12, 24, 50))
    d.line([(w - 1, 0), (w - 1, h - 1)], fill=(12, 24, 50))
    d.line([(0, h - 1), (w - 1, h - 1)], fill=(12, 24, 50))
    # corners: light spot top-left
    d.rectangle([1, 1, 3, 3], fill=(170, 210, 250))
    return img


SKIN_PIECES = {
    # name: (x, y, w, h) in pixels of the strip (twips / 15)
    "skin_top_left": (0, 0, 8, 20),
    "skin_top": (8, 0, 8, 20),
    "skin_top_right": (38, 0, 8, 20),
    "skin_left": (0, 20, 8, 192),
    "skin_right": (38, 20, 8, 192),
    "skin_bottom_left": (0, 212, 8, 8),
    "skin_bottom": (8, 212, 8, 8),
    "skin_bottom_right": (38, 212, 8, 8),
}


def caption_button(kind, state):
    w = h = 16
    base = {"normal": ((90, 130, 190), (40, 70, 130)),
            "highlighted": ((140, 180, 240), (70, 110, 190)),
            "pressed": ((30, 55, 110), (60, 95, 160))}[state]
    if kind == "close" and state != "normal":
        base = {"highlighted": ((240, 110, 100), (190, 40, 30)),
                "pressed": ((140, 20, 15), (190, 50, 40))}[state]
    img = rounded_panel(w, h, base[0], base[1], 3, border=(10, 20, 40), border_w=1)
    d = ImageDraw.Draw(img)
    W = w * SS
    c = (255, 255, 255)
    if kind == "close":
        d.line([(W * 0.3, W * 0.3), (W * 0.7, W * 0.7)], fill=c, width=SS * 2)
        d.line([(W * 0.7, W * 0.3), (W * 0.3, W * 0.7)], fill=c, width=SS * 2)
    else:
        d.rectangle([W * 0.28, W * 0.62, W * 0.72, W * 0.72], fill=c)
    return downsample(img, w, h)


def app_icon(size=32):
    W = size * SS
    img = Image.new("RGBA", (W, W), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([W * 0.08, W * 0.02, W * 0.72, W * 0.86], W * 0.08, fill=(250, 250, 250),
                        outline=(40, 40, 40), width=SS)
    d.rounded_rectangle([W * 0.28, W * 0.14, W * 0.92, W * 0.98], W * 0.08, fill=(250, 250, 250),
                        outline=(40, 40, 40), width=SS)
    paste_centered(img, glyph_image("\u2665", font(SANS, W * 0.45), RED), W * 0.6, W * 0.56)
    paste_centered(img, glyph_image("\u2660", font(SANS, W * 0.25), BLACK), W * 0.24, W * 0.2)
    return downsample(img, size, size)


def bar(w, h, top, bottom, line):
    img = vgradient(w, h, top, bottom)
    d = ImageDraw.Draw(img)
    d.line([(0, 0), (w, 0)], fill=line)
    d.line([(0, h - 1), (w, h - 1)], fill=lerp(bottom, (0, 0, 0), 0.5))
    return img


def top_bar():
    w, h = 1024, 96
    img = bar(w, h, (92, 58, 30), (52, 30, 14), (200, 150, 90))
    d = ImageDraw.Draw(img)
    # three seat plaques: avatar frame and the name, coins and level lines
    for x in (0, 343, 686):
        d.rounded_rectangle([x + 4, 10, x + 80, 82], 6, fill=(40, 22, 10), outline=(200, 160, 90))
        d.rounded_rectangle([x + 86, 10, x + 330, 86], 8, fill=(70, 42, 20), outline=(150, 110, 60))
        for y in (36, 60):
            d.line([(x + 94, y), (x + 322, y)], fill=(110, 76, 40))
    d.line([(0, h - 3), (w, h - 3)], fill=GOLD)
    return img


def bottom_bar():
    w, h = 1024, 117
    img = bar(w, h, (92, 58, 30), (46, 26, 12), (200, 150, 90))
    d = ImageDraw.Draw(img)
    d.line([(0, 2), (w, 2)], fill=GOLD)
    # own avatar frame and plaque
    d.rounded_rectangle([6, 14, 100, 112], 8, fill=(40, 22, 10), outline=(200, 160, 90))
    d.rounded_rectangle([172, 40, 360, 112], 8, fill=(70, 42, 20), outline=(150, 110, 60))
    for y in (70, 92):
        d.line([(180, y), (352, y)], fill=(110, 76, 40))
    # chat box well and button area
    d.rounded_rectangle([372, 76, 566, 108], 6, fill=(30, 16, 6), outline=(150, 110, 60))
    d.rounded_rectangle([640, 44, 926, 114], 8, fill=(60, 34, 16), outline=(150, 110, 60))
    return img


def plaque(w, h, text, text_box=None, size_frac=0.55, colours=((250, 230, 170), (200, 150, 60)),
           tcol=(90, 30, 10), border=(110, 60, 10)):
    img = rounded_panel(w, h, colours[0], colours[1], max(3, h // 4), border=border, border_w=1)
    d = ImageDraw.Draw(img)
    W, H = w * SS, h * SS
    box = text_box or (0, 0, w, h)
    box = tuple(v * SS for v in box)
    f = fit_font(d, text, CJK_FONT, H * size_frac, box[2] - box[0] - SS * 4)
    draw_text_centered(d, box, text, f, tcol)
    return downsample(img, w, h)


def clock_plaque():
    w, h = 90, 36
    img = plaque(w, h, "时间", text_box=(0, 0, 46, 36), size_frac=0.5)
    big = img.resize((w * SS, h * SS), Image.LANCZOS)
    d = ImageDraw.Draw(big)
    # a small clock face and the well where the countdown number stands
    d.rounded_rectangle([47 * SS, 5 * SS, 86 * SS, 31 * SS], 5 * SS, fill=(40, 20, 8),
                        outline=(120, 70, 20), width=SS)
    return downsample(big, w, h)


def dealer_marker():
    w, h = 40, 50
    W, H = w * SS, h * SS
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    # a small figure with a banner reading 庄
    d.ellipse([W * 0.34, H * 0.02, W * 0.66, H * 0.28], fill=(255, 220, 180), outline=(80, 40, 10),
              width=SS)
    d.chord([W * 0.32, H * 0.0, W * 0.68, H * 0.2], 180, 360, fill=(30, 20, 10))
    d.polygon([(W * 0.2, H * 0.32), (W * 0.8, H * 0.32), (W * 0.92, H * 0.98), (W * 0.08, H * 0.98)],
              fill=(190, 30, 30), outline=(90, 10, 10))
    d.ellipse([W * 0.18, H * 0.42, W * 0.82, H * 0.92], fill=GOLD, outline=(120, 70, 10), width=SS)
    draw_text_centered(d, (W * 0.18, H * 0.42, W * 0.82, H * 0.92), "庄", cjk(H * 0.36), (150, 10, 10))
    return downsample(img, w, h)


def titled_frame(w, h, title, colour, fill_alpha=0):
    """A narrow frame with a title tab on its upper left."""
    W, H = w * SS, h * SS
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    tab_h = 22 * SS
    if fill_alpha:
        d.rounded_rectangle([0, tab_h // 2, W - 1, H - 1], 6 * SS, fill=(0, 0, 0, fill_alpha))
    d.rounded_rectangle([SS, tab_h // 2, W - 1 - SS, H - 1 - SS], 6 * SS, outline=colour, width=SS * 2)
    f = cjk(16 * SS)
    tw = text_size(d, title, f)[0]
    d.rounded_rectangle([10 * SS, 0, 10 * SS + tw + 16 * SS, tab_h], 5 * SS, fill=lerp(colour, (0, 0, 0), 0.45),
                        outline=colour, width=SS)
    draw_text_centered(d, (10 * SS, 0, 10 * SS + tw + 16 * SS, tab_h), title, f, (255, 250, 220))
    return downsample(img, w, h)


def trump_box():
    w, h = 122, 190
    img = rounded_panel(w, h, (110, 60, 30), (60, 30, 12), 8, border=GOLD, border_w=1)
    d = ImageDraw.Draw(img)
    W, H = w * SS, h * SS
    draw_text_centered(d, (0, 4 * SS, W, 40 * SS), "报牌", cjk(24 * SS), (255, 230, 140),
                       stroke=SS, stroke_fill=(60, 20, 0))
    d.rounded_rectangle([8 * SS, 50 * SS, W - 8 * SS, H - 8 * SS], 6 * SS, fill=(30, 80, 45),
                        outline=(200, 160, 80), width=SS)
    return downsample(img, w, h)


def speech_call():
    w, h = 72, 44
    W, H = w * SS, h * SS
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([SS, SS, W - SS, H * 0.75], 10 * SS, fill=(255, 252, 220),
                        outline=(120, 60, 10), width=SS * 2)
    d.polygon([(W * 0.25, H * 0.72), (W * 0.18, H * 0.98), (W * 0.42, H * 0.72)],
              fill=(255, 252, 220), outline=(120, 60, 10))
    d.line([(W * 0.26, H * 0.72), (W * 0.41, H * 0.72)], fill=(255, 252, 220), width=SS * 3)
    draw_text_centered(d, (0, 0, W, H * 0.76), "叫主", cjk(H * 0.42), (190, 20, 20))
    return downsample(img, w, h)


def window_background(w, h, title, rows=(), row_x=16, row_y0=48, row_step=26, row_size=15,
                      header_h=34, body=(236, 228, 206), title_size=18):
    """The background of a secondary window: a title band with its caption printed on
    it, a lighter body and, when given, row titles down the left side."""
    img = vgradient(w, h, (120, 70, 32), (60, 30, 12))
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, w - 1, h - 1], outline=(40, 20, 6))
    d.rectangle([1, 1, w - 2, h - 2], outline=(210, 160, 90))
    d.rounded_rectangle([6, header_h, w - 7, h - 7], 6, fill=body, outline=(150, 100, 50))
    draw_text_centered(d, (0, 0, w, header_h), title, cjk(title_size), (255, 232, 150))
    f = cjk(row_size)
    for i, r in enumerate(rows):
        y = row_y0 + i * row_step
        d.text((row_x, y), r, font=f, fill=(90, 40, 10))
        tw = text_size(d, r, f)[0]
        d.line([(row_x + tw + 6, y + row_size + 3), (w - 20, y + row_size + 3)], fill=(190, 170, 130))
    return img


def mingxi():
    rows = ["本方打：", "对方打：", "当前捡分：", "反底次数：", "本局庄家：", "本局亮主："]
    return window_background(240, 230, "本局明细", rows, row_y0=46, row_step=27)


def information():
    rows = ["玩家昵称：", "性    别：", "所 在 地：", "积    分：", "信 用 度：",
            "登录次数：", "掉线次数：", "胜场次数：", "败场次数："]
    return window_background(210, 300, "玩家信息", rows, row_y0=42, row_step=28, row_size=14)


def score_board():
    w, h = 500, 330
    img = window_background(w, h, "战绩板")
    d = ImageDraw.Draw(img)
    # four player columns with an avatar frame each
    colw = (w - 24) / 4
    for i in range(4):
        x = 12 + i * colw
        d.rounded_rectangle([x + 4, 42, x + colw - 4, 240], 5, fill=(250, 245, 230), outline=(170, 130, 80))
        d.rectangle([x + colw / 2 - 26, 48, x + colw / 2 + 26, 104], outline=(170, 130, 80))
    d.rounded_rectangle([16, 248, w - 16, h - 14], 5, fill=(250, 245, 230), outline=(170, 130, 80))
    return img


def hero_board():
    w, h = 500, 360
    img = window_background(w, h, "英雄榜")
    d = ImageDraw.Draw(img)
    d.text((16, 44), "局数", font=cjk(14), fill=(90, 40, 10))
    colw = (w - 100) / 4
    for i in range(4):
        x = 84 + i * colw
        d.rectangle([x + colw / 2 - 22, 40, x + colw / 2 + 22, 88], outline=(170, 130, 80))
        d.rounded_rectangle([x + 4, 110, x + colw - 4, 300], 4, fill=(250, 245, 230), outline=(170, 130, 80))
    d.rounded_rectangle([12, 110, 80, 300], 4, fill=(250, 245, 230), outline=(170, 130, 80))
    d.line([(12, 316), (w - 12, 316)], fill=(170, 130, 80))
    return img


def speak_box(p):
    """The four bubble shapes; the top-left pixel is the transparent key colour."""
    key = (255, 0, 255)
    fill = (255, 253, 225)
    edge = (150, 90, 20)
    sizes = {0: (180, 100), 1: (200, 90), 2: (180, 110), 3: (200, 110)}
    w, h = sizes[p]
    # Drawn without anti-aliasing so the outline never blends into the key colour,
    # which would leave pink fringes around the shaped window.
    img = Image.new("RGB", (w, h), key)
    d = ImageDraw.Draw(img)
    if p == 0:      # own seat, below: tail down-left
        body = [4, 2, w - 5, 76]
        tail = [(40, 70), (26, h - 2), (70, 70)]
    elif p == 1:    # left seat: tail to the left
        body = [26, 6, w - 5, h - 5]
        tail = [(32, 30), (2, 18), (32, 54)]
    elif p == 2:    # top seat: tail up
        body = [4, 30, w - 5, h - 5]
        tail = [(70, 36), (86, 2), (104, 36)]
    else:           # right seat: tail to the upper right
        body = [4, 20, w - 28, h - 5]
        tail = [(w - 34, 30), (w - 2, 6), (w - 34, 56)]
    # outline colour for the whole shape first, then the same shape 2 px smaller in the
    # fill colour: the tail and the body share one outline with no seam between them
    d.rounded_rectangle(body, 18, fill=edge)
    d.polygon(tail, fill=edge)
    b = [body[0] + 2, body[1] + 2, body[2] - 2, body[3] - 2]
    d.rounded_rectangle(b, 16, fill=fill)
    cx = sum(x for x, _ in tail) / 3
    cy = sum(y for _, y in tail) / 3
    inner = []
    for x, y in tail:
        dist = math.hypot(x - cx, y - cy)
        k = (dist - 4.0) / dist
        inner.append((cx + (x - cx) * k, cy + (y - cy) * k))
    d.polygon(inner, fill=fill)
    return img


def build_named():
    out = {}
    out["Pic1"] = table_background(0, 1024, 768)
    out["Pic2"] = table_background(0, 800, 600)
    out["pic3"] = table_background(0, 1024, 768)
    out["pic4"] = table_background(1, 1024, 768)
    strip = skin_strip()
    out["Skin"] = strip
    for name, (x, y, w, h) in SKIN_PIECES.items():
        out[name] = strip.crop((x, y, x + w, y + h))
    for kind, ctl in (("close", "ImgClose"), ("min", "ImgMin")):
        for state in ("normal", "highlighted", "pressed"):
            out[f"{ctl}_{state}"] = caption_button(kind, state)
    out["ImgIcon"] = app_icon()
    out["imgDinglan"] = top_bar()
    out["imgDilan"] = bottom_bar()
    out["imgLocation"] = plaque(394, 39, "", colours=((80, 50, 26), (40, 22, 8)), border=(200, 150, 80))
    out["Time_Img"] = clock_plaque()
    out["ImageZhuangJia"] = dealer_marker()
    out["imgBaopai"] = trump_box()
    out["imgBaopaiKuang"] = titled_frame(300, 150, "报牌", (250, 200, 80))
    out["Imgfanzhu"] = titled_frame(300, 150, "反主", (240, 90, 60))
    out["ImageGuo"] = button(60, 30, "不叫", "play")
    out["Speak"] = speech_call()
    out["imgKanDiPai"] = button(66, 32, "看底牌", "main")
    out["imgJishu"] = plaque(56, 24, "明细")
    out["Imgwealth"] = plaque(110, 40, "倍", text_box=(74, 0, 110, 40), size_frac=0.6,
                              colours=((255, 220, 100), (210, 130, 20)))
    out["ImgShuffle"] = plaque(200, 32, "", colours=((60, 40, 90), (30, 16, 50)), border=(200, 170, 250))
    out["Image1_close"] = caption_button("close", "normal")
    out["Image1_close_hover"] = caption_button("close", "highlighted")
    out["Score"] = score_board()
    out["Hero"] = hero_board()
    out["Information"] = information()
    out["frmMingXi"] = mingxi()
    out["Talk"] = window_background(320, 220, "聊天")
    out["VosSet"] = window_background(240, 310, "音效设置")
    for i, label in enumerate(["背景音乐", "游戏音效", "提示声音", "桌面背景"]):
        out[f"VosSet_option{i}"] = plaque(96, 26, label, colours=((250, 240, 215), (225, 205, 165)))
    out["frmExit"] = window_background(280, 140, "退出")
    out["frmOtherExit"] = window_background(320, 160, "提示")
    out["frmTishi"] = window_background(320, 96, "提示", header_h=28, title_size=15)
    out["ChuPai"] = window_background(178, 63, "出牌非法", header_h=22, title_size=13,
                                      body=(150, 40, 30))
    out["huifu"] = window_background(320, 240, "快捷短语")
    for p in range(4):
        out[f"imgSpeakBox{p}"] = speak_box(p)
    return out


# ---------------------------------------------------------------- header and sheets

def write_names_header(names, path):
    lines = [
        "// Generated by tools/assetgen/assetgen.py; do not edit by hand.",
        "// The design-time pictures of the windows, by the name they are embedded under.",
        "#pragma once",
        "",
        "#include <string_view>",
        "",
        "namespace zorvan::assets::design {",
        "",
    ]
    for n in names:
        lines.append(f"inline constexpr std::string_view {n} = \"{n}\";")
    lines += ["", f"inline constexpr std::size_t count = {len(names)};", "",
              "}  // namespace zorvan::assets::design", ""]
    text = "\n".join(lines).replace("#include <string_view>",
                                    "#include <cstddef>\n#include <string_view>")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def contact_sheet(items, path, cols, cell_w, cell_h, bg=(30, 90, 50)):
    rows = (len(items) + cols - 1) // cols
    sheet = Image.new("RGB", (cols * cell_w, rows * (cell_h + 14)), bg)
    d = ImageDraw.Draw(sheet)
    lf = font(SANS, 10)
    for i, (label, img) in enumerate(items):
        x = (i % cols) * cell_w
        y = (i // cols) * (cell_h + 14)
        im = img if isinstance(img, Image.Image) else img[0]
        im = im.convert("RGBA")
        if im.width > cell_w - 4 or im.height > cell_h - 4:
            k = min((cell_w - 4) / im.width, (cell_h - 4) / im.height)
            im = im.resize((max(1, int(im.width * k)), max(1, int(im.height * k))), Image.LANCZOS)
        sheet.paste(im, (x + 2, y + 2), im)
        d.text((x + 2, y + cell_h), label, font=lf, fill=(255, 255, 255))
    sheet.save(path, format="PNG")


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(ROOT, "assets"))
    ap.add_argument("--sheet", default=os.path.join(ROOT, "build-assets", "contact-sheets"))
    ap.add_argument("--no-sheet", action="store_true")
    args = ap.parse_args(argv)

    gif_dir = os.path.join(args.out, "gif")
    named_dir = os.path.join(args.out, "named")
    inc_dir = os.path.join(args.out, "include", "zorvan")
    for p in (gif_dir, named_dir, inc_dir):
        os.makedirs(p, exist_ok=True)

    gifs = build_gifs()
    named = build_named()

    wanted_gif = set()
    for gid in sorted(gifs):
        name = f"{gid}.gif"
        wanted_gif.add(name)
        pic = gifs[gid]
        path = os.path.join(gif_dir, name)
        if isinstance(pic, list):
            save_animated_gif(pic, RED_FIVE_DELAYS, path)
        else:
            save_gif(pic, path)
    wanted_named = set()
    for n in sorted(named):
        wanted_named.add(f"{n}.gif")
        save_gif(named[n], os.path.join(named_dir, f"{n}.gif"))
    # drop pictures this tool no longer draws, so the folders hold exactly its output
    for folder, wanted in ((gif_dir, wanted_gif), (named_dir, wanted_named)):
        for f in os.listdir(folder):
            if f.endswith(".gif") and f not in wanted:
                os.remove(os.path.join(folder, f))
    write_names_header(sorted(named), os.path.join(inc_dir, "asset_names.h"))
    print(f"wrote {len(gifs)} resources to {gif_dir} and {len(named)} pictures to {named_dir}")

    if not args.no_sheet:
        os.makedirs(args.sheet, exist_ok=True)
        faces = [(str(c), gifs[c]) for c in list(card_codes()) + [16, 17, 18]]
        contact_sheet(faces, os.path.join(args.sheet, "cards.png"), 13, 96, 126)
        small = [(str(i), gifs[i]) for i in range(301, 355)]
        contact_sheet(small, os.path.join(args.sheet, "cards-small.png"), 13, 76, 100)
        others = [(str(i), gifs[i]) for i in sorted(gifs)
                  if not (3 <= i <= 63 or 301 <= i <= 354 or 240 <= i <= 279)]
        contact_sheet(others, os.path.join(args.sheet, "buttons-and-more.png"), 10, 130, 110)
        av = [(str(i), gifs[i]) for i in range(240, 280)]
        contact_sheet(av, os.path.join(args.sheet, "avatars.png"), 10, 90, 94)
        nm = [(n, named[n]) for n in sorted(named)]
        contact_sheet(nm, os.path.join(args.sheet, "named.png"), 6, 260, 200, bg=(60, 60, 60))
        print(f"contact sheets in {args.sheet}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
