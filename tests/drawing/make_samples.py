"""Writes the small drawings the reader and the scene are tested on for MTEXT columns, inline
codes without their ";", a long line of small text, HELIX and the frames of images and
underlays: python3 make_samples.py FOLDER. Each is written pair by pair from the DXF
reference, so that no library's way of writing hides what other programs write; what each
must show is in tests/drawing/SamplesTest.cpp, and ezdxf reads every one the same way
(corpus_texts.py on this folder)."""
import math
import os
import sys


class Drawing:
    """The pairs of one drawing: a header naming the version, the entities, the objects."""

    def __init__(self, version):
        self.version = version
        self.entities = []
        self.objects = []
        self.next_handle = 0x100

    def handle(self):
        self.next_handle += 1
        return f"{self.next_handle:X}"

    def text(self):
        pairs = [(0, "SECTION"), (2, "HEADER"), (9, "$ACADVER"), (1, self.version),
                 (9, "$DWGCODEPAGE"), (3, "ANSI_1252"),
                 (9, "$HANDSEED"), (5, f"{self.next_handle + 1:X}"), (0, "ENDSEC"),
                 (0, "SECTION"), (2, "ENTITIES"), *self.entities, (0, "ENDSEC")]
        if self.objects:
            # The root dictionary comes first; the objects it leaves out are found by handle.
            root = [(0, "DICTIONARY"), (5, "C"), (330, "0"), (100, "AcDbDictionary"), (281, 1)]
            pairs += [(0, "SECTION"), (2, "OBJECTS"), *root, *self.objects, (0, "ENDSEC")]
        pairs.append((0, "EOF"))
        return "".join(f"{code:>3}\n{value}\n" for code, value in pairs)


def point(code, x, y, z=0.0):
    return [(code, repr(float(x))), (code + 10, repr(float(y))), (code + 20, repr(float(z)))]


def chunks(text, size=250):
    """The pairs of an MTEXT's text: 250-byte pieces in 3, the last in 1."""
    parts = [text[k:k + size] for k in range(0, len(text), size)] or [""]
    return [(3, p) for p in parts[:-1]] + [(1, parts[-1])]


def mtext(d, handle, x, y, text, height=1.0, width=0.0, extra=(), tail=()):
    pairs = [(0, "MTEXT"), (5, handle), (100, "AcDbEntity"), (8, "0"), (100, "AcDbMText"),
             *point(10, x, y), (40, height)]
    if width:
        pairs.append((41, width))
    pairs += [*extra, (71, 1), (72, 1), *chunks(text), (73, 1), (44, 1.0), *tail]
    d.entities += pairs


def text(d, x, y, value, height=1.0):
    d.entities += [(0, "TEXT"), (5, d.handle()), (100, "AcDbEntity"), (8, "0"),
                   (100, "AcDbText"), *point(10, x, y), (40, height), (1, value),
                   (100, "AcDbText")]


def lines(prefix, n):
    return "\\P".join(f"{prefix} {k}" for k in range(1, n + 1))


def column_info(kind, auto, count, width, gutter, heights=()):
    """The XDATA groups that hold a first column's column settings (R2000 to R2013)."""
    pairs = [(1000, "ACAD_MTEXT_COLUMN_INFO_BEGIN"), (1070, 75), (1070, kind), (1070, 79),
             (1070, auto), (1070, 76), (1070, count), (1070, 78), (1070, 0), (1070, 48),
             (1040, width), (1070, 49), (1040, gutter)]
    if heights:
        pairs += [(1070, 50), (1070, len(heights)), *[(1040, h) for h in heights]]
    return pairs + [(1000, "ACAD_MTEXT_COLUMN_INFO_END")]


def linked_handles(handles):
    return [(1000, "ACAD_MTEXT_COLUMNS_BEGIN"), (1070, 47), (1070, len(handles) + 1),
            *[(1005, h) for h in handles], (1000, "ACAD_MTEXT_COLUMNS_END")]


def defined_height(height):
    return [(1000, "ACAD_MTEXT_DEFINED_HEIGHT_BEGIN"), (1070, 46), (1040, height),
            (1000, "ACAD_MTEXT_DEFINED_HEIGHT_END")]


def columns_r2007(folder):
    """Two column MTEXTs of R2007: each column a MTEXT of its own, the first naming the others
    in its XDATA. Static: three columns 20 wide, 1 apart, 30 high, each with its own text.
    Dynamic with heights of its own: the whole text in the first column, the others empty (as
    some programs write them), to flow from column to column by the heights 5 and 8."""
    d = Drawing("AC1021")
    first, second, third = d.handle(), d.handle(), d.handle()
    xdata = [(1001, "ACAD"), *column_info(1, 0, 3, 20.0, 1.0), *linked_handles([second, third]),
             *defined_height(30.0)]
    mtext(d, first, 0, 0, lines("one", 3) + "\\N", width=62.5, tail=xdata)
    for handle, x, prefix, n in ((second, 21, "two", 2), (third, 42, "three", 4)):
        mtext(d, handle, x, 0, lines(prefix, n), width=175.0,
              tail=[(1001, "ACAD"), *defined_height(30.0)])
    first, second, third = d.handle(), d.handle(), d.handle()
    xdata = [(1001, "ACAD"), *column_info(2, 0, 3, 20.0, 1.0, (5.0, 8.0, 0.0)),
             *linked_handles([second, third])]
    mtext(d, first, 0, -50, lines("flow", 9), width=62.5, tail=xdata)
    for handle, x in ((second, 21), (third, 42)):
        mtext(d, handle, x, -50, "", width=175.0)
    text(d, 0, 10, "columns of R2007")
    write(folder, "mtext_columns_r2007.dxf", d)


def columns_r2018(folder):
    """Column MTEXTs of R2018: one MTEXT holds every column. Static columns broken by \\N, as
    CAD writes them with the settings in an embedded object; dynamic columns of one height
    whose text flows over (the count left 0, the total width given); and columns given by the
    MTEXT's own groups 75 to 79, 48, 49 and 50, as the DXF reference lists them."""
    d = Drawing("AC1032")
    body = lines("one", 3) + "\\N" + lines("two", 2) + "\\N" + lines("three", 4)
    embedded = [(101, "Embedded Object"), (70, 1), *point(10, 1, 0), *point(11, 0, 0),
                (40, 62.5), (41, 30.0), (42, 62.0), (43, 30.0), (71, 1), (72, 3), (44, 20.0),
                (45, 1.0), (73, 0), (74, 0)]
    mtext(d, d.handle(), 0, 0, body, width=62.5, extra=[(46, 30.0)], tail=embedded)
    embedded = [(101, "Embedded Object"), (70, 1), *point(10, 1, 0), *point(11, 0, -50),
                (40, 62.5), (41, 5.0), (42, 62.0), (43, 5.0), (71, 2), (72, 0), (44, 20.0),
                (45, 1.0), (73, 1), (74, 0)]
    mtext(d, d.handle(), 0, -50, lines("flow", 9), width=62.5, extra=[(46, 5.0)],
          tail=embedded)
    groups = [(75, 2), (76, 2), (78, 0), (79, 0), (48, 15.0), (49, 5.0), (50, 2), (50, 5.0),
              (50, 0.0)]
    mtext(d, d.handle(), 0, -100, lines("own", 5), width=40.0, tail=groups)
    text(d, 0, 10, "columns of R2018")
    write(folder, "mtext_columns_r2018.dxf", d)


def codes_without_semicolon(folder):
    """Inline codes some programs write without their ";", and a long MTEXT whose codes are cut
    by the 250-byte chunks of group 3."""
    d = Drawing("AC1015")
    samples = ["{\\C1red} after", "\\H2.5xbig then", "\\W0.8narrow and", "\\Q15slanted too",
               "\\T2wide text", "\\A1middle line", "\\c255rgb colour", "{\\H1.5;kept} as is"]
    for k, sample in enumerate(samples):
        mtext(d, d.handle(), 0, -5 * k, sample)
    # The first chunk ends inside a colour code, the second inside a height code.
    first = "a" * 246 + "{\\C1"
    second = "B" * 247 + "\\H2"
    mtext(d, d.handle(), 0, -50, first + second + "x;tail} end")
    write(folder, "mtext_codes_without_semicolon.dxf", d)


def long_small_text(folder):
    """One line of small text, 36,000 characters long: at the fit view far below a pixel high."""
    d = Drawing("AC1015")
    text(d, 0, 0, "0123456789 ABCDEFGHIJ abcdefghij " * 1100, height=1.0)
    write(folder, "long_small_text.dxf", d)


def helix_pairs(d, cx, cy, radius, pitch, turns):
    """A HELIX: its curve a cubic B-spline of quarter turns (Bezier arcs joined), then its own
    values (axis, radius, turns), whose 10 and 40 are no spline's."""
    k = 4 / 3 * math.tan(math.pi / 8)  # a quarter circle's Bezier handles
    quarters = int(round(turns * 4))
    control = []
    for q in range(quarters):
        a0, a1 = q * math.pi / 2, (q + 1) * math.pi / 2
        z0, z1 = pitch * q / 4, pitch * (q + 1) / 4
        p0 = (math.cos(a0), math.sin(a0))
        p3 = (math.cos(a1), math.sin(a1))
        p1 = (p0[0] - k * p0[1], p0[1] + k * p0[0])
        p2 = (p3[0] + k * p3[1], p3[1] - k * p3[0])
        segment = [(p0, z0), (p1, z0 + (z1 - z0) / 3), (p2, z0 + 2 * (z1 - z0) / 3), (p3, z1)]
        control += segment if q == 0 else segment[1:]
    knots = [0.0] * 4 + [float(q) for q in range(1, quarters) for _ in range(3)] + \
        [float(quarters)] * 4
    pairs = [(0, "HELIX"), (5, d.handle()), (100, "AcDbEntity"), (8, "0"), (100, "AcDbSpline"),
             (70, 0), (71, 3), (72, len(knots)), (73, len(control)), (74, 0), (42, 1e-10),
             (43, 1e-10), *[(40, t) for t in knots]]
    for (x, y), z in control:
        pairs += point(10, cx + radius * x, cy + radius * y, z)
    pairs += [(100, "AcDbHelix"), (90, 29), (91, 63), *point(10, cx, cy), *point(11, cx + radius, cy),
              *point(12, 0, 0, 1), (40, radius), (41, turns), (42, pitch), (290, 1), (280, 1)]
    d.entities += pairs


def helix(folder):
    """Two HELIXes: radius 10 about (0, 0), three turns; radius 4 about (30, 0), one and a half."""
    d = Drawing("AC1024")
    helix_pairs(d, 0, 0, 10, 5, 3)
    helix_pairs(d, 30, 0, 4, 2, 1.5)
    text(d, -10, 15, "HELIX")
    write(folder, "helix.dxf", d)


def image_and_underlays(folder):
    """Images and underlays whose files are not there (one on a network share): an IMAGE of
    200 x 100 pixels of 0.1 units each at (0, 0); one at (30, 0) turned 30 degrees and clipped
    by a triangle; a PDF underlay clipped by a rectangle at (0, 20) scaled 2; a DWF underlay
    clipped by a polygon; a DGN underlay without a clipping boundary."""
    d = Drawing("AC1024")
    plain, clipped = d.handle(), d.handle()
    d.objects += [(0, "IMAGEDEF"), (5, plain), (100, "AcDbRasterImageDef"), (90, 0),
                  (1, "missing/photo.png"), *point(10, 200, 100)[:2], *point(11, 1, 1)[:2],
                  (280, 0), (281, 0),
                  (0, "IMAGEDEF"), (5, clipped), (100, "AcDbRasterImageDef"), (90, 0),
                  (1, "\\\\server\\share\\plan.tif"), *point(10, 200, 100)[:2],
                  *point(11, 1, 1)[:2], (280, 0), (281, 0)]
    d.entities += [(0, "IMAGE"), (5, d.handle()), (100, "AcDbEntity"), (8, "0"),
                   (100, "AcDbRasterImage"), (90, 0), *point(10, 0, 0), *point(11, 0.1, 0),
                   *point(12, 0, 0.1), (13, 200.0), (23, 100.0), (340, plain), (70, 3),
                   (280, 0), (281, 50), (282, 50), (283, 0), (71, 1), (91, 2), (14, -0.5),
                   (24, -0.5), (14, 199.5), (24, 99.5)]
    c, s = math.cos(math.radians(30)), math.sin(math.radians(30))
    d.entities += [(0, "IMAGE"), (5, d.handle()), (100, "AcDbEntity"), (8, "0"),
                   (100, "AcDbRasterImage"), (90, 0), *point(10, 30, 0),
                   *point(11, 0.1 * c, 0.1 * s), *point(12, -0.1 * s, 0.1 * c), (13, 200.0),
                   (23, 100.0), (340, clipped), (70, 7), (280, 1), (281, 50), (282, 50),
                   (283, 0), (71, 2), (91, 4), (14, -0.5), (24, 99.5), (14, 199.5), (24, 99.5),
                   (14, 99.5), (24, -0.5), (14, -0.5), (24, 99.5)]
    pdf, dwf, dgn = d.handle(), d.handle(), d.handle()
    for kind, handle, name in (("PDFDEFINITION", pdf, "missing.pdf"),
                               ("DWFDEFINITION", dwf, "\\\\server\\share\\sheet.dwf"),
                               ("DGNDEFINITION", dgn, "missing.dgn")):
        d.objects += [(0, kind), (5, handle), (100, "AcDbUnderlayDefinition"), (1, name),
                      (2, "1")]

    def underlay(kind, handle, x, y, scale, rotation, boundary):
        pairs = [(0, kind), (5, d.handle()), (100, "AcDbEntity"), (8, "0"),
                 (100, "AcDbUnderlayReference"), (340, handle), *point(10, x, y), (41, scale),
                 (42, scale), (43, 1.0), (50, rotation), (280, 3 if boundary else 2), (281, 100),
                 (282, 0)]
        for bx, by in boundary:
            pairs += [(11, bx), (21, by)]
        d.entities.extend(pairs)

    underlay("PDFUNDERLAY", pdf, 0, 20, 2.0, 0, [(0, 0), (10, 5)])
    underlay("DWFUNDERLAY", dwf, 30, 20, 1.0, 90, [(0, 0), (10, 0), (10, 10), (5, 15), (0, 10)])
    underlay("DGNUNDERLAY", dgn, 60, 20, 1.0, 0, [])
    text(d, 0, -5, "frames of missing files")
    write(folder, "image_underlay_frames.dxf", d)


def write(folder, name, drawing):
    with open(os.path.join(folder, name), "w", encoding="ascii", newline="\n") as out:
        out.write(drawing.text())


def main(folder):
    os.makedirs(folder, exist_ok=True)
    columns_r2007(folder)
    columns_r2018(folder)
    codes_without_semicolon(folder)
    long_small_text(folder)
    helix(folder)
    image_and_underlays(folder)


if __name__ == "__main__":
    main(sys.argv[1])
