#!/usr/bin/python3
"""Writes the small font files the tests and benchmarks use.

    make_fonts.py <outdir>             the test set
    make_fonts.py --many N <outdir> [<prefix>]
                                       N fonts with distinct families <prefix>00001... (the
                                       prefix is SorvaneBench unless given)

Every glyph is a filled box, so drawing tests see ink for every mapped character. Needs
fontTools (Debian's python3-fonttools).
"""
import os
import shutil
import struct
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.ttCollection import TTCollection

UPM = 1000
LATIN = [0x20] + list(range(0x21, 0x7F))
KANA_KANJI = [ord(c) for c in "あいうえおアイウエオソフトルヴァン試験表字漢明朝"]

# The Japanese test family; "ソ" has the trail byte 0x5C in code page 932.
JAPANESE_FAMILY = "ソルヴァン試験"
JAPANESE_ENGLISH_FAMILY = "SorvaneJapaneseTest"
LONG_JAPANESE_FAMILY = "SV" + "試験" * 8
# 31 characters: all that a face name of LOGFONTW holds.
LONGEST_JAPANESE_FAMILY = "SV" + "試験" * 14 + "試"
# 32 UTF-16 units whose last character, a surrogate pair, straddles the 31-unit limit.
CUT_PAIR_FAMILY = "SV" + "試" * 28 + "\U0001F3B5"


def draw_box(pen, left, bottom, right, top):
    pen.moveTo((left, bottom))
    pen.lineTo((left, top))
    pen.lineTo((right, top))
    pen.lineTo((right, bottom))
    pen.closePath()


def box_glyph(left, bottom, right, top):
    pen = TTGlyphPen(None)
    draw_box(pen, left, bottom, right, top)
    return pen.glyph()


def box_charstring(width, box):
    pen = T2CharStringPen(width, None)
    if box:
        draw_box(pen, *box)
    return pen.getCharString()


def build_font(family, style="Regular", codepoints=LATIN, names=None, weight=400, japanese=False, cff=False,
               distinct_digits=False, box_top=760):
    """A TrueType font, or with `cff` an OpenType font with PostScript outlines, whose mapped
    characters all draw one box; `names` overrides the family-name record with
    {language tag: name}. With distinct digits (TrueType only), each digit draws a box of its own
    height, so that names differing in their digits draw differently; `box_top` is the box's
    height, so that faces of one collection can draw differently."""
    fb = FontBuilder(UPM, isTTF=not cff)
    digits = ["digit%d" % d for d in range(10)] if distinct_digits else []
    fb.setupGlyphOrder([".notdef", "space", "box"] + digits)
    cmap = {cp: ("space" if cp == 0x20 else "box") for cp in codepoints}
    cmap.update({ord("0") + d: name for d, name in enumerate(digits)})
    fb.setupCharacterMap(cmap)
    english = names["en"] if names else family
    ps_name = english.replace(" ", "") + "-" + style
    if cff:
        fb.setupCFF(ps_name, {"FullName": english + " " + style}, {
            ".notdef": box_charstring(500, (50, 0, 450, 700)),
            "space": box_charstring(500, None),
            "box": box_charstring(800, (80, 0, 720, box_top)),
        }, {})
    else:
        glyphs = {
            ".notdef": box_glyph(50, 0, 450, 700),
            "space": TTGlyphPen(None).glyph(),
            "box": box_glyph(80, 0, 720, box_top),
        }
        glyphs.update({name: box_glyph(80, 0, 720, 120 + 64 * d) for d, name in enumerate(digits)})
        fb.setupGlyf(glyphs)
    metrics = {".notdef": (500, 50), "space": (500, 0), "box": (800, 80)}
    metrics.update({name: (800, 80) for name in digits})
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=880, descent=-120)
    fb.setupNameTable({
        "familyName": names if names else family,
        "styleName": style,
        "uniqueFontIdentifier": ps_name,
        "fullName": english + " " + style,
        "psName": ps_name,
        "version": "Version 1.000",
    }, mac=False)
    fb.setupOS2(sTypoAscender=880, sTypoDescender=-120, usWinAscent=880, usWinDescent=120,
                usWeightClass=weight, fsSelection=(0x20 if weight >= 700 else 0x40),
                ulCodePageRange1=(1 | (1 << 17) if japanese else 1))  # Latin 1 (and Japanese)
    fb.setupPost()
    fb.setupHead(unitsPerEm=UPM, macStyle=(1 if weight >= 700 else 0))
    if cff:
        fb.setupMaxp()
    return fb.font


def build_shaped_font(family, glyphs, cmap, features=None, code_pages=1, symbol=False):
    """A TrueType font of hand-made glyphs: `glyphs` is {name: (advance, [boxes])} with boxes as
    (left, bottom, right, top), `cmap` is {character: glyph name}, `features` OpenType feature
    text. A symbol font has only the Windows symbol character map (3, 0)."""
    fb = FontBuilder(UPM, isTTF=True)
    order = [".notdef", "space"] + sorted(glyphs)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    outlines = {".notdef": box_glyph(50, 0, 450, 700), "space": TTGlyphPen(None).glyph()}
    metrics = {".notdef": (500, 50), "space": (500, 0)}
    for name, (advance, boxes) in glyphs.items():
        pen = TTGlyphPen(None)
        for left, bottom, right, top in boxes:
            pen.moveTo((left, bottom))
            pen.lineTo((left, top))
            pen.lineTo((right, top))
            pen.lineTo((right, bottom))
            pen.closePath()
        outlines[name] = pen.glyph()
        metrics[name] = (advance, min(b[0] for b in boxes))
    fb.setupGlyf(outlines)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=880, descent=-120)
    ps_name = family.replace(" ", "") + "-Regular"
    fb.setupNameTable({"familyName": family, "styleName": "Regular", "uniqueFontIdentifier": ps_name,
                       "fullName": family + " Regular", "psName": ps_name, "version": "Version 1.000"},
                      mac=False)
    fb.setupOS2(sTypoAscender=880, sTypoDescender=-120, usWinAscent=880, usWinDescent=120,
                ulCodePageRange1=code_pages)
    fb.setupPost()
    fb.setupHead(unitsPerEm=UPM)
    if features:
        fb.addOpenTypeFeatures(features)
    if symbol:
        for table in fb.font["cmap"].tables:
            table.platformID, table.platEncID = 3, 0
        fb.font["cmap"].tables = [t for t in fb.font["cmap"].tables if t.format == 4][:1]
    return fb.font


# Thai consonants and vowels draw a low box; the marks above (mai han-akat, sara i to sara uee,
# the tone marks) a small high box with no advance, placed over the base only by the font's mark
# attachment. Drawn unshaped, a mark lands right of its base.
THAI_BASES = list(range(0x0E01, 0x0E31)) + [0x0E32, 0x0E33] + list(range(0x0E40, 0x0E47))
THAI_MARKS = [0x0E31] + list(range(0x0E34, 0x0E3B)) + list(range(0x0E47, 0x0E4F))
THAI_FEATURES = """
languagesystem DFLT dflt;
languagesystem thai dflt;
markClass [thmark] <anchor 200 600> @ABOVE;
feature mark { pos base [thbase] <anchor 400 500> mark @ABOVE; } mark;
table GDEF { GlyphClassDef [thbase], , [thmark], ; } GDEF;
"""

# The letters of the Arabic sample: isolated forms are tall boxes, joined forms (initial,
# medial, final, chosen by the font's substitutions) flat ones, so a drawing shows which forms
# the shaping picked.
ARABIC_DUAL_JOINING = {0x0644: "lam", 0x0639: "ain", 0x0628: "beh", 0x064A: "yeh"}
ARABIC_RIGHT_JOINING = {0x0627: "alef", 0x0631: "reh", 0x0629: "tehmarbuta"}


def arabic_font(family):
    tall, flat = (800, [(80, 0, 720, 760)]), (800, [(0, 0, 800, 300)])
    glyphs, cmap, forms = {}, {0x20: "space"}, {"init": [], "medi": [], "fina": []}
    for cp, name in list(ARABIC_DUAL_JOINING.items()) + list(ARABIC_RIGHT_JOINING.items()):
        glyphs[name] = tall
        cmap[cp] = name
        for form in (["init", "medi", "fina"] if cp in ARABIC_DUAL_JOINING else ["fina"]):
            glyphs[name + "." + form] = flat
            forms[form].append(name)
    features = "languagesystem DFLT dflt;\nlanguagesystem arab dflt;\n"
    for form, names in forms.items():
        features += "feature %s { sub [%s] by [%s]; } %s;\n" % (
            form, " ".join(names), " ".join(n + "." + form for n in names), form)
    return build_shaped_font(family, glyphs, cmap, features, code_pages=1 << 6)  # Arabic


def thai_font(family):
    glyphs = {"thbase": (800, [(80, 0, 720, 500)]), "thmark": (0, [(100, 650, 300, 850)])}
    cmap = {0x20: "space"}
    cmap.update({cp: "thbase" for cp in THAI_BASES})
    cmap.update({cp: "thmark" for cp in THAI_MARKS})
    return build_shaped_font(family, glyphs, cmap, THAI_FEATURES, code_pages=1 << 16)  # Thai


def font_bytes(font):
    import io
    out = io.BytesIO()
    font.save(out)
    return out.getvalue()


def collection_bytes(fonts):
    """A font collection of `fonts`, in that order; tables the faces have in common are stored
    once and shared."""
    import io
    collection = TTCollection()
    collection.fonts = fonts
    out = io.BytesIO()
    collection.save(out)
    return out.getvalue()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


# --- raw sfnt access, for the broken files and for fast renaming ------------------------------

def table_directory(data):
    num_tables = struct.unpack_from(">H", data, 4)[0]
    tables = {}
    for i in range(num_tables):
        tag, checksum, offset, length = struct.unpack_from(">4sLLL", data, 12 + 16 * i)
        tables[tag] = (12 + 16 * i, offset, length)
    return tables


def table_checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dL" % (len(data) // 4), data)) & 0xFFFFFFFF


def fix_checksums(data):
    """Recomputes every table checksum and the head table's whole-file adjustment."""
    data = bytearray(data)
    tables = table_directory(data)
    head_entry, head_offset, _ = tables[b"head"]
    struct.pack_into(">L", data, head_offset + 8, 0)
    for entry, offset, length in tables.values():
        struct.pack_into(">L", data, entry + 4, table_checksum(bytes(data[offset:offset + length])))
    struct.pack_into(">L", data, head_offset + 8, (0xB1B0AFBA - table_checksum(bytes(data))) & 0xFFFFFFFF)
    return bytes(data)


def name_records(data):
    """(record position, name id, string position, string length) of every name record."""
    _, offset, _ = table_directory(data)[b"name"]
    count, storage = struct.unpack_from(">HH", data, offset + 2)
    for i in range(count):
        at = offset + 6 + 12 * i
        _, _, _, name_id, length, string_offset = struct.unpack_from(">6H", data, at)
        yield at, name_id, offset + storage + string_offset, length


def with_name_record_past_table(data):
    """The family-name record points beyond the end of the name table."""
    data = bytearray(data)
    _, name_offset, name_length = table_directory(data)[b"name"]
    storage = struct.unpack_from(">H", data, name_offset + 4)[0]
    for at, name_id, _, _ in name_records(data):
        if name_id == 1:
            struct.pack_into(">H", data, at + 10, name_length - storage + 40)
    return bytes(data)


def with_table_count(data, count):
    data = bytearray(data)
    struct.pack_into(">H", data, 4, count)
    return bytes(data)


def face_offsets(collection):
    count = struct.unpack_from(">L", collection, 8)[0]
    return list(struct.unpack_from(">%dL" % count, collection, 12))


def with_u32(data, at, value):
    data = bytearray(data)
    struct.pack_into(">L", data, at, value)
    return bytes(data)


def with_face_table_past_end(collection, face):
    """The last table record of face `face` claims a length reaching past the file's end."""
    at = face_offsets(collection)[face]
    count = struct.unpack_from(">H", collection, at + 4)[0]
    return with_u32(collection, at + 12 + 16 * (count - 1) + 12, len(collection))


def with_renamed_table(data, old, new):
    entry, _, _ = table_directory(data)[old]
    data = bytearray(data)
    data[entry:entry + 4] = new
    return bytes(data)


# --- the sets ------------------------------------------------------------------------------

def make_test_set(outdir):
    os.makedirs(outdir, exist_ok=True)
    plain = {}
    for letter in "ABCDEFGH":
        family = "SorvaneTest" + letter
        plain[letter] = font_bytes(build_font(family))
        write(os.path.join(outdir, family + ".ttf"), plain[letter])

    # Same family as SorvaneTestA, another style: once A is registered, registering this one
    # adds no new family.
    write(os.path.join(outdir, "SorvaneTestA-Bold.ttf"),
          font_bytes(build_font("SorvaneTestA", style="Bold", weight=700)))

    write(os.path.join(outdir, "japanese.ttf"), font_bytes(build_font(
        JAPANESE_ENGLISH_FAMILY, codepoints=LATIN + KANA_KANJI,
        names={"en": JAPANESE_ENGLISH_FAMILY, "ja": JAPANESE_FAMILY}, japanese=True)))

    # 34 bytes in code page 932: a face name keeps 31, and the 31st byte would split a kanji.
    write(os.path.join(outdir, "longname.ttf"), font_bytes(build_font(
        "SorvaneLongName", codepoints=LATIN + KANA_KANJI,
        names={"en": "SorvaneLongName", "ja": LONG_JAPANESE_FAMILY}, japanese=True)))

    write(os.path.join(outdir, "longname31.ttf"), font_bytes(build_font(
        "SorvaneLongest", codepoints=LATIN + KANA_KANJI,
        names={"en": "SorvaneLongest", "ja": LONGEST_JAPANESE_FAMILY}, japanese=True)))
    write(os.path.join(outdir, "longname-pair.ttf"), font_bytes(build_font(
        "SorvaneCutPair", codepoints=LATIN + KANA_KANJI,
        names={"en": "SorvaneCutPair", "ja": CUT_PAIR_FAMILY}, japanese=True)))
    # Faces that cannot draw their own (Latin) names, and a symbol face that draws its name
    # through the symbol range.
    write(os.path.join(outdir, "kana-only.ttf"), font_bytes(build_font(
        "Sorvane Kana Only", codepoints=[0x20] + list(range(0x3041, 0x3097)) + list(range(0x30A1, 0x30FB)),
        japanese=True)))
    write(os.path.join(outdir, "thai-only.ttf"), font_bytes(thai_font("Sorvane Thai Only")))
    write(os.path.join(outdir, "arabic-only.ttf"), font_bytes(arabic_font("Sorvane Arabic Only")))
    # A control and a space mapped before the private-use characters, as many fonts map them;
    # the characters beyond the basic plane give it a full-range character map too.
    write(os.path.join(outdir, "private-use.ttf"), font_bytes(build_font(
        "Sorvane Private Use", codepoints=[0x0D, 0x20] + list(range(0xE100, 0xE110)) + list(range(0xF0000, 0xF0004)))))
    write(os.path.join(outdir, "symbol.ttf"), font_bytes(build_shaped_font(
        "Sorvane Symbol", {"box": (800, [(80, 0, 720, 760)])},
        {cp: ("space" if cp == 0xF020 else "box") for cp in range(0xF020, 0xF100)},
        code_pages=1 << 31, symbol=True)))
    # Its name's space is not in its character map.
    write(os.path.join(outdir, "spaceless.ttf"), font_bytes(build_font(
        "Sorvane Spaceless", codepoints=LATIN[1:])))

    make_opentype_set(outdir)

    broken = font_bytes(build_font("SorvaneBroken"))
    write(os.path.join(outdir, "bad-tablecount.ttf"), with_table_count(broken, 0x7FFF))
    write(os.path.join(outdir, "bad-namerecord.ttf"), with_name_record_past_table(broken))
    write(os.path.join(outdir, "truncated.ttf"), plain["H"][:len(plain["H"]) // 2])
    write(os.path.join(outdir, "notafont.ttf"), b"This is plain text, not a TrueType font.\r\n" * 8)
    write(os.path.join(outdir, "empty.ttf"), b"")

    damaged = os.path.join(outdir, "damaged")
    os.makedirs(damaged, exist_ok=True)
    for i in range(12):
        family = "SorvaneDamaged%02d" % i
        write(os.path.join(damaged, family + ".ttf"),
              with_glyph_damage(font_bytes(build_font(family)), seed=i, count=4 + 4 * i))

    # More fonts than a small thumbnail cache holds, each drawing a name of its own.
    shutil.rmtree(os.path.join(outdir, "three-hundred"), ignore_errors=True)
    make_many(300, os.path.join(outdir, "three-hundred"), "SorvaneMany", number_first=True)

    # A folder of 10,000 files for the scan's progress text; empty, as only their number counts.
    # Made here because Wine makes files in a large folder slowly (about 5 ms each).
    many = os.path.join(outdir, "ten-thousand")
    os.makedirs(many, exist_ok=True)
    for i in range(10000):
        write(os.path.join(many, "%05d.ttf" % i), b"")

    scattered = os.path.join(outdir, "scattered")
    os.makedirs(scattered, exist_ok=True)
    for i in range(SCATTERED_COUNT):
        write(os.path.join(scattered, "scattered%03d.ttf" % i), with_scattered_damage(i))


# Family names of the faces of the collections, in the files' order; the Japanese face is listed
# under its Japanese name in a Japanese session.
TTC_FAMILIES = ["SorvaneTtcA", "SorvaneTtcJapanese"]
TTC_JAPANESE_FAMILY = "ソルヴァン集合"
OTC_FAMILIES = ["SorvaneOtcA", "SorvaneOtcB"]
# Seven faces with Korean family names beside the English ones: Wine's first removal of this
# file leaves SorvaneKorean4 registered.
KOREAN_FAMILIES = ["SorvaneKorean%d" % i for i in range(7)]


def make_opentype_set(outdir):
    """OpenType fonts with PostScript outlines and collections, good and damaged."""
    otf = font_bytes(build_font("SorvaneOtf", cff=True))
    write(os.path.join(outdir, "SorvaneOtf.otf"), otf)
    write(os.path.join(outdir, "bad-nocff.otf"), with_renamed_table(otf, b"CFF ", b"CFX "))

    ttc = collection_bytes([
        build_font(TTC_FAMILIES[0]),
        build_font(TTC_FAMILIES[1], codepoints=LATIN + KANA_KANJI, japanese=True,
                   names={"en": TTC_FAMILIES[1], "ja": TTC_JAPANESE_FAMILY}),
    ])
    write(os.path.join(outdir, "SorvaneCollection.ttc"), ttc)
    write(os.path.join(outdir, "SorvaneCffCollection.otc"),
          collection_bytes([build_font(family, cff=True) for family in OTC_FAMILIES]))
    write(os.path.join(outdir, "SorvaneKorean.ttc"), collection_bytes([
        build_font(family, names={"en": family, "ko": "소르반%d" % i})
        for i, family in enumerate(KOREAN_FAMILIES)]))

    # Two faces whose boxes differ in height, so that each face's drawing shows which face it is.
    write(os.path.join(outdir, "SorvaneHeights.ttc"), collection_bytes([
        build_font("SorvaneTall"), build_font("SorvaneLow", box_top=300)]))

    write(os.path.join(outdir, "bad-header.ttc"), with_u32(ttc, 4, 0x00030000))
    write(os.path.join(outdir, "bad-facecount.ttc"), with_u32(ttc, 8, 0xFFFFFFFF))
    write(os.path.join(outdir, "bad-faceoffset.ttc"), with_u32(ttc, 16, len(ttc)))
    write(os.path.join(outdir, "bad-facedirectory.ttc"), with_face_table_past_end(ttc, 1))


def with_glyph_damage(data, seed, count):
    """`count` random bytes of the glyph table replaced: the file stays structurally sound, but
    its outlines are garbage, which can fault the system's text drawing."""
    import random
    rng = random.Random(seed)
    data = bytearray(data)
    _, offset, length = table_directory(data)[b"glyf"]
    for _ in range(count):
        data[offset + rng.randrange(length)] = rng.randrange(256)
    return fix_checksums(bytes(data))


# Small fonts with bytes overwritten anywhere, the table directory and header included. A few of
# them fault the system's text drawing in a fresh process (a damaged cmap, often with a damaged
# maxp entry); the tests find out which at run time.
SCATTERED_COUNT = 80


def with_scattered_damage(seed):
    """A four-glyph font of about 700 bytes, as fontTools writes it, with 1 to 40 bytes
    replaced at random places; checksums are left as the damage leaves them."""
    import random
    rng = random.Random(1000 + seed)
    family = "SorvaneScattered%03d" % seed
    data = bytearray(font_bytes(build_font(family, codepoints=SCATTERED_CODEPOINTS)))
    for _ in range(rng.randint(1, 40)):
        data[rng.randrange(len(data))] = rng.randrange(256)
    return bytes(data)


SCATTERED_CODEPOINTS = [0x20] + [ord(c) for c in "Sorvanectd0123456789"]


def make_many(count, outdir, prefix="SorvaneBench", number_first=False):
    """`count` fonts that differ only in their family name, renamed in place for speed. With
    the number first, the names differ where a thumbnail cut at the right still shows them."""
    os.makedirs(outdir, exist_ok=True)

    def family_of(i):
        return ("%05d" % i + prefix) if number_first else (prefix + "%05d" % i)

    template_family = family_of(0)
    template = bytearray(font_bytes(build_font(template_family, distinct_digits=number_first)))
    old_units = template_family.encode("utf-16-be")
    spots = []
    for _, _, start, length in name_records(template):
        found = bytes(template[start:start + length]).find(old_units)
        if found >= 0:
            spots.append(start + found)
    for i in range(1, count + 1):
        family = family_of(i)
        data = bytearray(template)
        for pos in spots:
            data[pos:pos + len(old_units)] = family.encode("utf-16-be")
        write(os.path.join(outdir, family + ".ttf"), fix_checksums(bytes(data)))


def main(argv):
    if len(argv) in (4, 5) and argv[1] == "--many":
        make_many(int(argv[2]), *argv[3:])
    elif len(argv) == 2:
        make_test_set(argv[1])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
