"""Reads the small multileader and dimension drawings of leader_drawings.py with quillet-texts
and compares every text with what ezdxf makes of the same drawing:
python3 leaders_against_ezdxf.py QUILLET_TEXTS. Exit 77 (skipped) without ezdxf.

- multileaders: each text of ezdxf's virtual_entities() (the MTEXT, the block's attributes)
  has one of ours with the same string, place, height and turn, and ours has no other;
- layers: of a drawing whose multileaders, notes and attributes are all on layers that are off
  or frozen (or hidden with their insert), only the detail's text is listed;
- dimensions without their block: each text agrees with the one ezdxf renders into the block
  of the same dimension written with it."""
import math
import os
import subprocess
import sys
import tempfile

try:
    import ezdxf
except ImportError:
    print("ezdxf is not there")
    sys.exit(77)

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from leader_drawings import (dimension_points, multileader_layers,  # noqa: E402
                             multileader_places)

failures = []


def ours(program, path):
    listing = subprocess.run([program, path], capture_output=True, check=True).stdout
    texts = []
    for line in listing.decode("utf-8").splitlines():
        x, y, height, turn, text = line.split("\t", 4)
        texts.append((float(x), float(y), float(height), float(turn), text.replace("\\n", "\n")))
    return texts


def plain(entity):
    if entity.dxftype() == "MTEXT":
        return entity.plain_text(split=False)
    return entity.dxf.text


def placed(entity):
    """Returns (x, y, height, turn, text) of an MTEXT or ATTRIB as ezdxf places it."""
    if entity.dxftype() == "MTEXT":
        p = entity.dxf.insert
        return (p.x, p.y, entity.dxf.char_height, entity.get_rotation() % 360, plain(entity))
    p = entity.dxf.insert
    if entity.dxf.get("halign", 0) or entity.dxf.get("valign", 0):
        p = entity.dxf.get("align_point", p)
    return (p.x, p.y, entity.dxf.height, entity.dxf.get("rotation", 0) % 360, plain(entity))


def same(a, b):
    turn = abs((a[3] - b[3] + 180) % 360 - 180)
    return (a[4] == b[4] and math.isclose(a[0], b[0], abs_tol=1e-3)
            and math.isclose(a[1], b[1], abs_tol=1e-3) and math.isclose(a[2], b[2], abs_tol=1e-6)
            and turn < 0.01)


def compare(what, peer, mine):
    left = list(mine)
    for p in peer:
        match = next((m for m in left if same(p, m)), None)
        if match is None:
            failures.append(f"{what}: ezdxf's {p} is not among ours: {mine}")
        else:
            left.remove(match)
    for m in left:
        failures.append(f"{what}: ours {m} is not ezdxf's")


def multileader_texts(path):
    out = []
    for e in ezdxf.readfile(path).modelspace().query("MULTILEADER MLEADER"):
        for v in e.virtual_entities():
            if v.dxftype() == "MTEXT":
                out.append(placed(v))
            elif v.dxftype() == "INSERT":
                out.extend(placed(a) for a in v.attribs)
    return out


def dimension_texts(path):
    out = []
    for e in ezdxf.readfile(path).modelspace().query("DIMENSION"):
        texts = [placed(v) for v in e.virtual_entities() if v.dxftype() == "MTEXT"]
        # ezdxf 0.18 leaves "<>" in an own text and measures an angle of two lines the other
        # way round: those two are checked by DimensionTest against their points.
        if e.dimtype == 2 or "<>" in e.dxf.get("text", ""):
            continue
        out.extend(texts)
    return out


def main(program):
    with tempfile.TemporaryDirectory() as folder:
        places = multileader_places(os.path.join(folder, "places.dxf"))
        compare("multileaders", multileader_texts(places), ours(program, places))

        layers = multileader_layers(os.path.join(folder, "layers.dxf"))
        listed = [t[4] for t in ours(program, layers)]
        if listed != ["DETAIL A"]:
            failures.append(f"layers: only the detail's text shows, not {listed}")

        without = dimension_points(os.path.join(folder, "without.dxf"), True)
        with_blocks = dimension_points(os.path.join(folder, "with.dxf"), False)
        peer = dimension_texts(with_blocks)
        mine = [t for t in ours(program, without) if t[4] in {p[4] for p in peer}]
        compare("dimensions", peer, mine)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
