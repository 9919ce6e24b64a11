#!/usr/bin/python3
"""Builds the pictograph font and the emoji table of the palette.

No installed font draws the carrier pictographs U+E63E-U+E757, so the build makes
one: every pictograph gets the outline of the standard emoji that Unicode's
EmojiSources.txt (DoCoMo column) gives for it, taken from Symbola (free for any
use, may be modified and redistributed). Keycap sequences are built from the
digit and the keycap frame; the few pictographs without a usable emoji get a
simple glyph made here from letters and lines.

    make_pictograph_font.py font OUT.ttf [--symbola TTF] [--sources TXT]
    make_pictograph_font.py emoji-table OUT.inc [--sources TXT]

The build runs the first form. The second writes codepage/pictograph_emoji_table.inc,
which is kept in the tree; run it again only if EmojiSources.txt changes.
Needs fontTools (Debian: python3-fonttools); run with /usr/bin/python3.
"""

import argparse
import math
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.recordingPen import DecomposingRecordingPen, RecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

FAMILY = "Mirvane Pictographs"
DEFAULT_SYMBOLA = "/usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf"
DEFAULT_SOURCES = "/usr/share/unicode/EmojiSources.txt"

# The palette's code points: U+E63E-U+E757 without the codes no handset used.
PALETTE_RANGES = [
    (0xE63E, 0xE6A5),
    (0xE6AC, 0xE6AE),
    (0xE6B1, 0xE6B3),
    (0xE6B7, 0xE6BA),
    (0xE6CE, 0xE757),
]

UNITS_PER_EM = 2048
ADVANCE = 2048  # a double-byte character: one full em
# Vertical metrics of the Japanese field and window fonts (IPA Gothic), so that a
# line holding a pictograph is exactly as tall as one without.
ASCENT = 1802
DESCENT = -246
WIN_DESCENT = 401
# Every glyph is fitted and centred into this box, inside the line.
BOX_LEFT, BOX_RIGHT = 64, 1984
BOX_BOTTOM, BOX_TOP = -170, 1750
MAX_ENLARGE = 1.6

KEYCAP = 0x20E3
FIXED_TIMESTAMP = 3786912000  # 2024-01-01, seconds since 1904
STRIP = 150  # stroke width of the frames and the wave drawn here


def palette_codes():
    return [cp for first, last in PALETTE_RANGES for cp in range(first, last + 1)]


def sjis_to_code_point(code):
    """Inverse of the code page 932 user-defined area mapping (F040-F9FC)."""
    lead, trail = code >> 8, code & 0xFF
    if not 0xF0 <= lead <= 0xF9 or not (0x40 <= trail <= 0x7E or 0x80 <= trail <= 0xFC):
        raise ValueError("not a user-defined code: %04X" % code)
    index = trail - 0x40 if trail < 0x80 else trail - 0x41
    return 0xE000 + (lead - 0xF0) * 188 + index


def read_emoji_sources(path):
    """Pictograph code point -> tuple of Unicode code points (DoCoMo column)."""
    mapping = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split(";")
            if len(fields) < 2 or not fields[1]:
                continue
            emoji = tuple(int(x, 16) for x in fields[0].split())
            mapping[sjis_to_code_point(int(fields[1], 16))] = emoji
    return mapping


# --- outlines -------------------------------------------------------------


class Outlines:
    def __init__(self, symbola_path):
        self.font = TTFont(symbola_path)
        self.cmap = self.font.getBestCmap()
        self.glyphs = self.font.getGlyphSet()

    def has(self, cp):
        return cp in self.cmap

    def record(self, cp):
        pen = DecomposingRecordingPen(self.glyphs)
        self.glyphs[self.cmap[cp]].draw(pen)
        return pen.value

    def advance(self, cp):
        return self.glyphs[self.cmap[cp]].width


def bounds(value):
    pen = BoundsPen(None)
    replay(value, pen)
    return pen.bounds


def replay(value, pen, transform=None):
    if transform is not None:
        pen = TransformPen(pen, transform)
    rec = RecordingPen()
    rec.value = value
    rec.replay(pen)


def transformed(value, transform):
    out = RecordingPen()
    replay(value, out, transform)
    return out.value


def fit_into(value, left, bottom, right, top, enlarge=MAX_ENLARGE):
    """Scales `value` uniformly to fit the box and centres it there."""
    b = bounds(value)
    if b is None:
        return value
    w, h = b[2] - b[0], b[3] - b[1]
    scale = min((right - left) / w if w else enlarge, (top - bottom) / h if h else enlarge, enlarge)
    dx = (left + right) / 2 - scale * (b[0] + b[2]) / 2
    dy = (bottom + top) / 2 - scale * (b[1] + b[3]) / 2
    return transformed(value, (scale, 0, 0, scale, dx, dy))


def rectangle(x0, y0, x1, y1, clockwise=True):
    pts = [(x0, y0), (x0, y1), (x1, y1), (x1, y0)]
    if not clockwise:
        pts.reverse()
    value = [("moveTo", (pts[0],))]
    value += [("lineTo", (p,)) for p in pts[1:]]
    value.append(("closePath", ()))
    return value


def frame(x0, y0, x1, y1, stroke=STRIP):
    # TrueType fills by winding: the inner contour runs the other way, a hole.
    return rectangle(x0, y0, x1, y1) + rectangle(
        x0 + stroke, y0 + stroke, x1 - stroke, y1 - stroke, clockwise=False
    )


def letters(outlines, text, spacing=60):
    """The letters of `text` side by side on one baseline."""
    value, x = [], 0
    for ch in text:
        cp = ord(ch)
        glyph = outlines.record(cp)
        b = bounds(glyph)
        value += transformed(glyph, (1, 0, 0, 1, x - b[0], 0))
        x += (b[2] - b[0]) + spacing
    return value


def framed(outlines, text):
    inner = fit_into(letters(outlines, text), 300, 300, 1748, 1748)
    return frame(0, 0, 2048, 2048) + inner


def wave():
    """A thick wavy line of two periods, for the wavy dash."""
    n, width, amp, half = 48, 2000, 260, STRIP * 0.75
    top, bottom = [], []
    for i in range(n + 1):
        x = width * i / n
        y = amp * math.sin(2 * math.pi * 2 * i / n)
        top.append((x, y + half))
        bottom.append((x, y - half))
    pts = top + bottom[::-1]  # along the top to the right, back along the bottom: clockwise
    value = [("moveTo", (pts[0],))]
    value += [("lineTo", (p,)) for p in pts[1:]]
    value.append(("closePath", ()))
    return value


def keycap(outlines, base):
    frame_outline = outlines.record(KEYCAP)
    fb = bounds(frame_outline)
    fw, fh = fb[2] - fb[0], fb[3] - fb[1]
    digit = fit_into(
        outlines.record(base),
        fb[0] + fw * 0.25,
        fb[1] + fh * 0.22,
        fb[2] - fw * 0.25,
        fb[3] - fh * 0.22,
        enlarge=1.0,
    )
    return frame_outline + digit


def own_glyphs(outlines):
    """Glyphs for the pictographs that have no standard emoji."""
    return {
        0xE6D1: lambda: outlines.record(0x24D8),  # circled small i
        0xE6D2: lambda: framed(outlines, "i"),
        0xE6D4: lambda: outlines.record(0x24B9),  # circled D
        0xE6D5: lambda: outlines.record(0x24C5),  # circled P
        0xE6DF: lambda: framed(outlines, "FD"),
        0xE6E1: lambda: outlines.record(0x24C6),  # circled Q
        0xE709: wave,
        0xE70C: lambda: letters(outlines, "i\u03b1"),
        0xE70D: lambda: framed(outlines, "i\u03b1"),
    }


def pictograph_outline(cp, emoji, outlines, own):
    if emoji and all(outlines.has(c) for c in emoji):
        if len(emoji) == 1:
            return outlines.record(emoji[0])
        if len(emoji) == 2 and emoji[1] == KEYCAP:
            return keycap(outlines, emoji[0])
    if cp in own:
        return own[cp]()
    raise SystemExit("no glyph for U+%04X (emoji %s)" % (cp, emoji))


def notdef():
    return frame(200, 0, 1848, 1600, stroke=120)


def nul_box(outlines):
    """A box naming NUL, as the system's fallback font drew it."""
    inner = fit_into(letters(outlines, "NUL", spacing=120), 200, 420, 1848, 1260, enlarge=2.0)
    return frame(BOX_LEFT, BOX_BOTTOM, BOX_RIGHT, BOX_TOP, stroke=100) + inner


def to_glyph(value):
    pen = TTGlyphPen(None)
    replay(value, pen, (1, 0, 0, 1, 0, 0))
    return pen.glyph()


def make_font(out_path, symbola_path, sources_path):
    outlines = Outlines(symbola_path)
    mapping = read_emoji_sources(sources_path)
    own = own_glyphs(outlines)

    order = [".notdef"]
    glyphs = {".notdef": to_glyph(notdef())}
    cmap = {}
    for cp in palette_codes():
        name = "uni%04X" % cp
        value = pictograph_outline(cp, mapping.get(cp), outlines, own)
        value = fit_into(value, BOX_LEFT, BOX_BOTTOM, BOX_RIGHT, BOX_TOP)
        order.append(name)
        glyphs[name] = to_glyph(value)
        cmap[cp] = name
    # Every font of the program names this one in its list, so a NUL character (a damaged
    # history) ends its search for a glyph here; without it the text layout asks all of
    # the system's fonts at each NUL, which is most of the time a long run of them takes.
    order.append("uni0000")
    glyphs["uni0000"] = to_glyph(nul_box(outlines))
    cmap[0] = "uni0000"

    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    metrics = {}
    for name in order:
        g = glyphs[name]
        g.recalcBounds(fb.font["glyf"])
        metrics[name] = (ADVANCE, getattr(g, "xMin", 0))
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT, descent=DESCENT, lineGap=0)
    fb.setupNameTable(
        {
            "familyName": FAMILY,
            "styleName": "Regular",
            "uniqueFontIdentifier": FAMILY + " Regular",
            "fullName": FAMILY + " Regular",
            "psName": FAMILY.replace(" ", "") + "-Regular",
            "version": "Version 1.0",
            "copyright": "Outlines derived from the Symbola font, which is free for any use.",
        }
    )
    fb.setupOS2(
        version=4,
        usWeightClass=400,
        fsType=0,
        sTypoAscender=ASCENT,
        sTypoDescender=DESCENT,
        sTypoLineGap=0,
        usWinAscent=ASCENT,
        usWinDescent=WIN_DESCENT,
        fsSelection=0x40,  # regular
        achVendID="MIRV",
        ulUnicodeRange1=0,
        ulUnicodeRange2=1 << (60 - 32),  # private use area
        ulUnicodeRange3=0,
        ulUnicodeRange4=0,
        ulCodePageRange1=1 << 17,  # Japanese
        sxHeight=1000,
        sCapHeight=1400,
    )
    fb.setupPost(keepGlyphNames=False)
    # FreeType runs its auto-hinter on TrueType outlines that declare no instructions,
    # which costs more than drawing the glyph; a declared (empty) instruction budget
    # makes it take the outlines as they are, which at 12 pixels and up is what the
    # palette draws anyway.
    fb.font["maxp"].maxSizeOfInstructions = 1
    # The same inputs give the same file: no build time in the head table.
    fb.font["head"].created = fb.font["head"].modified = FIXED_TIMESTAMP
    fb.font.recalcTimestamp = False
    fb.save(out_path)


def write_emoji_table(out_path, sources_path):
    mapping = read_emoji_sources(sources_path)
    rows = []
    for cp in palette_codes():
        emoji = mapping.get(cp)
        if not emoji:
            continue
        if len(emoji) > 2:
            raise SystemExit("sequence too long for the table: U+%04X" % cp)
        seq = ", ".join("0x%04X" % c for c in emoji)
        rows.append("    {0x%04X, {%s}}," % (cp, seq))
    with open(out_path, "w", encoding="utf-8") as f:
        f.write("// Generated by tools/make_pictograph_font.py emoji-table from Unicode's\n")
        f.write("// EmojiSources.txt (DoCoMo column). Do not edit by hand.\n")
        f.write("// clang-format off\n")
        f.write("\n".join(rows))
        f.write("\n// clang-format on\n")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("what", choices=["font", "emoji-table"])
    parser.add_argument("output")
    parser.add_argument("--symbola", default=DEFAULT_SYMBOLA)
    parser.add_argument("--sources", default=DEFAULT_SOURCES)
    args = parser.parse_args(argv)
    if args.what == "font":
        make_font(args.output, args.symbola, args.sources)
    else:
        write_emoji_table(args.output, args.sources)


if __name__ == "__main__":
    main(sys.argv[1:])
