#!/usr/bin/env python3
"""Writes the seed drawings of fuzz_scene: one small drawing for each kind of entity the reader
draws, and a few of them again in the binary form (both ways of writing group codes).

Run by hand when the reader learns a kind; the seeds are kept in the repository:

    fuzz/make_scene_seeds.py [FOLDER]    (default: fuzz/corpus/fuzz_scene)
"""

import math
import pathlib
import struct
import sys

# A drawing is a list of (group code, value) pairs; values are text, as the text form writes
# them, and turned into numbers for the binary form by their code's type.


def pairs(*items):
    return list(items)


def entity(kind, *codes, layer="0"):
    return [(0, kind), (8, layer)] + list(codes)


def section(name, body):
    return [(0, "SECTION"), (2, name)] + body + [(0, "ENDSEC")]


def header(codepage=None, version="AC1015"):
    body = [(9, "$ACADVER"), (1, version)]
    if codepage:
        body += [(9, "$DWGCODEPAGE"), (3, codepage)]
    return section("HEADER", body)


def layers(*entries):
    body = [(0, "TABLE"), (2, "LAYER")]
    for name, colour, flags, *rest in entries:
        body += [(0, "LAYER"), (2, name), (62, str(colour)), (70, str(flags))]
        if rest:
            body += [(420, str(rest[0]))]
    return section("TABLES", body + [(0, "ENDTAB")])


def block(name, base, body):
    return ([(0, "BLOCK"), (8, "0"), (2, name), (70, "0"), (10, num(base[0])),
             (20, num(base[1])), (30, "0")] + body + [(0, "ENDBLK"), (8, "0")])


def blocks(*bodies):
    return section("BLOCKS", [p for b in bodies for p in b])


def entities(*items):
    return section("ENTITIES", [p for e in items for p in e])


def drawing(*sections, end=True):
    out = [p for s in sections for p in s]
    return out + [(0, "EOF")] if end else out


def num(v):
    return repr(float(v)) if isinstance(v, float) else str(v)


def point(x, y, first=10):
    return [(first, num(x)), (first + 10, num(y)), (first + 20, "0")]


def text_form(ps):
    out = bytearray()
    for code, value in ps:
        out += f"{code:>3}\r\n".encode()
        out += (value if isinstance(value, bytes) else value.encode("utf-8")) + b"\r\n"
    return bytes(out)


def kind_of(code):
    """The type of a group code's value in the binary form, as the reader takes it."""
    if 10 <= code <= 59 or 110 <= code <= 149 or 210 <= code <= 239 or 460 <= code <= 469 \
            or 1010 <= code <= 1059:
        return "real"
    if 60 <= code <= 79 or 170 <= code <= 179 or 270 <= code <= 289 or 370 <= code <= 389 \
            or 400 <= code <= 409 or 1060 <= code <= 1070:
        return "int16"
    if 90 <= code <= 99 or 420 <= code <= 429 or 440 <= code <= 459 or code == 1071:
        return "int32"
    if 160 <= code <= 169:
        return "int64"
    if 290 <= code <= 299:
        return "bool"
    if 310 <= code <= 319 or code == 1004:
        return "chunk"
    return "string"


def binary_form(ps, short_codes=False):
    out = bytearray(b"AutoCAD Binary DXF\r\n\x1a\x00")
    for code, value in ps:
        if short_codes:
            out += bytes([code]) if 0 <= code < 255 else b"\xff" + struct.pack("<h", code)
        else:
            out += struct.pack("<h", code)
        kind = kind_of(code)
        raw = value if isinstance(value, bytes) else value.encode("utf-8")
        if kind == "real":
            out += struct.pack("<d", float(value))
        elif kind == "int16":
            out += struct.pack("<h", int(float(value)))
        elif kind == "int32":
            out += struct.pack("<i", int(float(value)))
        elif kind == "int64":
            out += struct.pack("<q", int(float(value)))
        elif kind == "bool":
            out += bytes([int(value) & 1])
        elif kind == "chunk":
            out += bytes([len(raw)]) + raw
        else:
            out += raw + b"\x00"
    return bytes(out)


def seeds():
    s = {}
    s["text"] = drawing(header(), entities(
        entity("TEXT", *point(0, 0), (40, "2.5"), (1, "Plain %%c50 %%d %%p1")),
        entity("TEXT", *point(0, 5), (40, "2"), (1, "Turned, slanted, wide"), (50, "30"),
               (51, "15"), (41, "1.5")),
        entity("TEXT", *point(10, -5), (40, "1"), (1, "Centred"), (72, "1"), (73, "2"),
               *point(12, -5, 11)),
        entity("TEXT", *point(0, -10), (40, "1"), (1, "Aligned"), (72, "3"),
               *point(20, -8, 11)),
        entity("TEXT", *point(0, -15), (40, "1"), (1, "Fit"), (72, "5"), *point(9, -15, 11)),
        entity("TEXT", *point(30, 0), (40, "1.5"), (1, "Backwards"), (71, "2")),
        entity("TEXT", *point(30, 5), (40, "1.5"), (1, "Upside down"), (71, "4")),
        entity("TEXT", *point(30, 10), (40, "3"), (1, "東京 日本語のテキスト")),
    ))
    s["mtext"] = drawing(header(), entities(
        entity("MTEXT", *point(0, 0), (40, "2"), (41, "30"), (71, "5"), (44, "1.5"),
               (3, "A long first part that comes before the rest, "),
               (1, "then\\Pa new paragraph {\\fArial|b1;bold} \\U+00e9 and 漢字かな交じり")),
        entity("MTEXT", *point(0, -20), (40, "1"), (71, "9"), *point(1, 1, 11),
               (1, "Turned by its direction\\Psecond line")),
        entity("MTEXT", *point(20, -20), (40, "1"), (41, "0.001"), (1, "wrapped at nothing")),
    ))
    s["lines"] = drawing(entities(
        entity("LINE", *point(0, 0), *point(10, 5, 11)),
        entity("LINE", *point(-1e6, 0), *point(1e6, 0.5, 11), (62, "1")),
        entity("POINT", *point(3, 3)),
        entity("XLINE", *point(0, 0), *point(1, 1, 11)),
        entity("RAY", *point(5, 0), *point(0, -1, 11)),
    ))
    s["arcs"] = drawing(entities(
        entity("CIRCLE", *point(0, 0), (40, "5")),
        entity("ARC", *point(10, 0), (40, "3"), (50, "30"), (51, "300")),
        entity("ARC", *point(20, 0), (40, "3"), (50, "350"), (51, "10")),
        entity("CIRCLE", *point(5, 5), (40, "2"), (210, "0"), (220, "0"), (230, "-1")),
        entity("CIRCLE", *point(5, 5), (40, "2"), (210, "0.6"), (220, "0"), (230, "0.8")),
        entity("ELLIPSE", *point(0, 20), *point(8, 0, 11), (40, "0.5")),
        entity("ELLIPSE", *point(20, 20), *point(0, 4, 11), (40, "0.25"), (41, "0.5"),
               (42, "4")),
    ))
    s["lwpolyline"] = drawing(entities(
        entity("LWPOLYLINE", (90, "4"), (70, "1"), *point(0, 0)[:2], (42, "0.5"),
               *point(10, 0)[:2], *point(10, 10)[:2], (42, "-1"), *point(0, 10)[:2]),
        entity("LWPOLYLINE", (90, "3"), (70, "0"), *point(20, 0)[:2], *point(25, 5)[:2],
               *point(30, 0)[:2], (210, "0"), (220, "0"), (230, "-1")),
    ))
    vertex = lambda x, y, *more: entity("VERTEX", *point(x, y), *more)
    s["polyline"] = drawing(entities(
        entity("POLYLINE", (66, "1"), (70, "1"), *point(0, 0)),
        vertex(0, 0, (42, "1")), vertex(10, 0), vertex(10, 10), [(0, "SEQEND"), (8, "0")],
        entity("POLYLINE", (66, "1"), (70, "8"), *point(0, 0)),
        vertex(20, 0), vertex(25, 5), vertex(30, 0), [(0, "SEQEND"), (8, "0")],
        entity("POLYLINE", (66, "1"), (70, "64"), (71, "3"), (72, "1"), *point(0, 0)),
        vertex(0, 20, (70, "192")), vertex(5, 20, (70, "192")), vertex(0, 25, (70, "192")),
        vertex(0, 0, (70, "128"), (71, "1"), (72, "2"), (73, "3")),
        [(0, "SEQEND"), (8, "0")],
    ))
    s["solid"] = drawing(entities(
        entity("SOLID", *point(0, 0), *point(10, 0, 11), *point(0, 5, 12), *point(10, 5, 13),
               (62, "3")),
        entity("TRACE", *point(20, 0), *point(30, 0, 11), *point(20, 2, 12), *point(30, 2, 13)),
        entity("3DFACE", *point(0, 10), *point(5, 10, 11), *point(5, 15, 12), *point(0, 15, 13)),
        entity("SOLID", *point(0, 20), *point(10, 20, 11), *point(5, 25, 12)),
    ))
    knots = [(40, k) for k in ("0", "0", "0", "0", "1", "2", "2", "2", "2")]
    s["spline"] = drawing(entities(
        entity("SPLINE", (70, "8"), (71, "3"), (72, "9"), (73, "5"), *knots,
               *point(0, 0)[:2], *point(5, 10)[:2], (41, "2"), *point(10, 0)[:2],
               *point(15, 10)[:2], *point(20, 0)[:2]),
        entity("SPLINE", (70, "8"), (71, "3"), (74, "3"), *point(0, 20, 11)[:2],
               *point(10, 25, 11)[:2], *point(20, 20, 11)[:2]),
        entity("SPLINE", (70, "11"), (71, "2"), *point(30, 0)[:2], *point(35, 5)[:2],
               *point(40, 0)[:2]),
    ))
    s["leader"] = drawing(entities(
        entity("LEADER", (71, "1"), (76, "3"), *point(0, 0), *point(5, 5), *point(10, 5)),
        entity("MTEXT", *point(10, 5), (40, "1"), (1, "A note")),
    ))
    s["insert"] = drawing(
        layers(("0", 7, 0), ("RED", 1, 0)),
        blocks(
            block("PART", (1, 1), [
                *entity("LINE", *point(1, 1), *point(5, 3, 11), (62, "0")),
                *entity("CIRCLE", *point(3, 3), (40, "1")),
                *entity("ATTDEF", *point(1, 4), (40, "0.5"), (1, "default"), (2, "TAG"),
                        (3, "Prompt")),
                *entity("INSERT", (2, "SMALL"), *point(4, 1)),
            ]),
            block("SMALL", (0, 0), [*entity("LWPOLYLINE", (90, "2"), *point(0, 0)[:2],
                                            *point(0.5, 0.5)[:2])]),
        ),
        entities(
            entity("INSERT", (2, "PART"), *point(0, 0), layer="RED"),
            entity("INSERT", (66, "1"), (2, "PART"), *point(20, 0), (41, "2"), (42, "-1"),
                   (50, "45"), (62, "5")),
            entity("ATTRIB", *point(20, 3), (40, "0.5"), (1, "value"), (2, "TAG")),
            [(0, "SEQEND"), (8, "0")],
            entity("INSERT", (2, "PART"), *point(0, 20), (70, "4"), (71, "3"), (44, "8"),
                   (45, "6"), (50, "10")),
            entity("INSERT", (2, "PART"), *point(-20, 0), (210, "0"), (220, "0"),
                   (230, "-1")),
            entity("INSERT", (2, "MISSING"), *point(0, -10)),
        ))
    s["dimension"] = drawing(
        blocks(block("*D1", (0, 0), [
            *entity("LINE", *point(0, 0), *point(10, 0, 11)),
            *entity("SOLID", *point(0, 0), *point(1, 0.2, 11), *point(1, -0.2, 12)),
            *entity("MTEXT", *point(5, 0.5), (40, "1"), (71, "8"), (1, "10.00")),
        ])),
        entities(
            entity("DIMENSION", (2, "*D1"), *point(0, 0), *point(5, 0.5, 11), (70, "32")),
            entity("DIMENSION", *point(0, 5), (70, "0")),
        ))
    s["table"] = drawing(
        blocks(block("*T1", (0, 0), [
            *entity("LINE", *point(0, 0), *point(20, 0, 11)),
            *entity("LINE", *point(0, -5), *point(20, -5, 11)),
            *entity("MTEXT", *point(1, -1), (40, "1"), (1, "Cell")),
        ])),
        entities(entity("ACAD_TABLE", (2, "*T1"), *point(0, 0))),
    )
    s["hatch"] = drawing(entities(
        entity("HATCH", *point(0, 0), (2, "SOLID"), (70, "1"), (71, "0"), (91, "2"),
               (92, "3"), (72, "1"), (73, "1"), (93, "4"), *point(0, 0)[:2], (42, "0.3"),
               *point(10, 0)[:2], *point(10, 10)[:2], *point(0, 10)[:2], (97, "0"),
               (92, "18"), (72, "0"), (73, "1"), (93, "3"), *point(2, 2)[:2], *point(4, 2)[:2],
               *point(3, 4)[:2], (97, "0"), (75, "0"), (76, "1"), (98, "0")),
        entity("HATCH", *point(0, 0), (2, "ANSI31"), (70, "0"), (71, "0"), (91, "1"),
               (92, "1"), (93, "4"),
               (72, "1"), *point(20, 0)[:2], *point(30, 0, 11)[:2],
               (72, "2"), *point(30, 5)[:2], (40, "5"), (50, "270"), (51, "90"), (73, "1"),
               (72, "3"), *point(25, 10)[:2], *point(-5, 0, 11)[:2], (40, "0.5"), (50, "0"),
               (51, "180"), (73, "0"),
               (72, "4"), (94, "3"), (73, "0"), (74, "0"), (95, "8"), (96, "4"),
               *[(40, k) for k in ("0", "0", "0", "0", "1", "1", "1", "1")],
               *point(20, 10)[:2], *point(18, 7)[:2], *point(22, 3)[:2], *point(20, 0)[:2],
               (97, "0"), (75, "1"), (76, "1"), (52, "0"), (41, "1"), (77, "0"), (78, "1"),
               (53, "45"), (43, "0"), (44, "0"), (45, "-0.5"), (46, "0.5"), (79, "0"),
               (98, "0")),
    ))
    s["mleader"] = drawing(entities(
        entity("MULTILEADER", (300, "CONTEXT_DATA{"), (40, "1"), *point(10, 5)[:2],
               (41, "1.5"), (140, "1"), (290, "1"), (304, "Leader text\\Psecond"),
               *point(10, 5, 12)[:2], *point(1, 0, 13)[:2], (42, "0"),
               (302, "LEADER{"), *point(10, 5)[:2], (304, "LEADER_LINE{"), *point(0, 0)[:2],
               *point(5, -2)[:2], (305, "}"), (303, "}"), (301, "}")),
    ))
    s["layers"] = drawing(
        layers(("0", 7, 0), ("OFF", -3, 0), ("FROZEN", 5, 1), ("TRUE", 2, 0, 0x3366CC),
               ("WHITE", 7, 0)),
        entities(
            entity("LINE", *point(0, 0), *point(10, 0, 11), layer="OFF"),
            entity("LINE", *point(0, 1), *point(10, 1, 11), layer="FROZEN"),
            entity("LINE", *point(0, 2), *point(10, 2, 11), layer="TRUE"),
            entity("LINE", *point(0, 3), *point(10, 3, 11), (420, str(0xFFCC00)), layer="WHITE"),
            entity("LINE", *point(0, 4), *point(10, 4, 11), (62, "256"), layer="NEW"),
            entity("TEXT", *point(0, 5), (40, "1"), (62, "2"), (1, "Yellow")),
        ))
    s["paper-and-kinds"] = drawing(entities(
        entity("LINE", *point(0, 0), *point(10, 0, 11), (67, "1")),
        entity("POLYLINE", (67, "1"), (66, "1"), (70, "0")), vertex(0, 0), vertex(1, 1),
        [(0, "SEQEND"), (8, "0")],
        entity("IMAGE", *point(0, 0), (340, "1F")),
        entity("VIEWPORT", *point(0, 0)),
        entity("REGION", (1, "ACIS")),
        entity("MTEXT", *point(0, 0), (40, "1"), (1, "Kept"), (101, "Embedded Object"),
               *point(99, 99)),
        entity("LINE", *point(0, 1), *point(1e300, 1, 11)),
        entity("TEXT", *point(0, 2), (40, "1"), (1, "after")),
    ))
    s["cycles"] = drawing(
        blocks(
            block("SELF", (0, 0), [*entity("LINE", *point(0, 0), *point(1, 1, 11)),
                                   *entity("INSERT", (2, "SELF"), *point(1, 0), (41, "0.5"),
                                           (42, "0.5"))]),
            block("A", (0, 0), [*entity("INSERT", (2, "B"), *point(0, 1)),
                                *entity("CIRCLE", *point(0, 0), (40, "1"))]),
            block("B", (0, 0), [*entity("INSERT", (2, "A"), *point(1, 0), (70, "3"), (71, "3"),
                                        (44, "2"), (45, "2"))]),
        ),
        entities(entity("INSERT", (2, "SELF"), *point(0, 0)),
                 entity("INSERT", (2, "A"), *point(10, 0))))
    chain = [block(f"L{k}", (0, 0), [
        *entity("INSERT", (2, f"L{k + 1}"), *point(1, 0), (41, "1000"), (42, "1000"),
                (70, "2"), (71, "2"), (44, "1"), (45, "1")),
        *entity("ARC", *point(0, 0), (40, "1"), (50, "0"), (51, "90"))]) for k in range(6)]
    chain.append(block("L6", (0, 0), [*entity("TEXT", *point(0, 0), (40, "1"), (1, "deep"))]))
    s["far"] = drawing(
        blocks(*chain),
        entities(
            entity("INSERT", (2, "L0"), *point(0, 0), (41, "1e-9"), (42, "3e-9")),
            entity("LINE", *point(-1e15, -1e15), *point(1e15, 1e15, 11)),
            entity("CIRCLE", *point(1e14, 0), (40, "1e14")),
            entity("TEXT", *point(0, 0), (40, "1e-12"), (1, "tiny")),
            entity("TEXT", *point(0, 0), (40, "1e14"), (1, "huge")),
        ))
    s["cp932"] = drawing(header("ANSI_932"), entities(
        entity("TEXT", *point(0, 0), (40, "2"), (1, "日本語のテキスト".encode("cp932"))),
        entity("MTEXT", *point(0, -5), (40, "2"), (1, "第一行\\P第二行".encode("cp932"))),
    ))
    s["undeclared"] = drawing(entities(
        entity("TEXT", *point(0, 0), (40, "2"), (1, "UTF-8 の文字")),
        entity("TEXT", *point(0, -5), (40, "2"), (1, "シフトJIS".encode("cp932"))),
    ))
    s["truncated"] = drawing(entities(
        entity("LINE", *point(0, 0), *point(10, 5, 11)),
        entity("TEXT", *point(0, 0), (40, "2"), (1, "cut short")),
        [(0, "LWPOLYLINE"), (90, "3"), (10, "0"), (20, "0"), (10, "5")],
    ), end=False)
    return s


BINARY = ["text", "arcs", "insert", "hatch", "polyline", "spline", "mleader"]


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                          pathlib.Path(__file__).parent / "corpus" / "fuzz_scene")
    folder.mkdir(parents=True, exist_ok=True)
    for name, ps in seeds().items():
        (folder / f"{name}.dxf").write_bytes(text_form(ps))
        if name in BINARY:
            (folder / f"{name}-binary.dxf").write_bytes(binary_form(ps))
    (folder / "lines-binary-r12.dxf").write_bytes(binary_form(seeds()["lines"], True))


if __name__ == "__main__":
    main()
