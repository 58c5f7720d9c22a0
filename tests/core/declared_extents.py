"""Reads back the extents the declared drawing names in its HEADER with ezdxf and GDAL's
ogrinfo: they hold every text with its height, from a file; through a pipe they are the widest
any drawing can need. The classic drawing names none.

Usage: declared_extents.py QUILLET_CONVERT
Exits 0 when the extents hold, 1 when they do not, 77 when a reader is missing.
"""
import logging
import os
import re
import shutil
import subprocess
import sys
import tempfile

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed for", sys.executable)
    sys.exit(77)
if not shutil.which("ogrinfo"):
    print("ogrinfo is not installed")
    sys.exit(77)

CONVERT = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def convert(folder, name, text, *options):
    source = os.path.join(folder, name + ".csv")
    with open(source, "wb") as out:
        out.write(text.encode("utf-8"))
    drawing = os.path.join(folder, name + ".dxf")
    subprocess.run([CONVERT, *options, "-o", drawing, source], check=True,
                   stdout=subprocess.DEVNULL)
    return drawing


def ogr_extent(drawing):
    listing = subprocess.run(["ogrinfo", "-al", "-so", drawing], check=True,
                             capture_output=True, text=True, encoding="utf-8").stdout
    found = re.search(r"Extent: \(([-\d.]+), ([-\d.]+)\) - \(([-\d.]+), ([-\d.]+)\)", listing)
    return tuple(float(v) for v in found.groups()) if found else None


logging.disable(logging.WARNING)
CASES = [
    # name, input, height
    ("two columns", "配管,東京\r\nABC,ソケット\r\n\r\n長い名前のテキスト\r\n", "100"),
    ("small", "a\r\n", "2.5"),
    ("negative height", "上,下\r\n\r\nx\r\n", "-50"),
    ("far right", "x\r\n\r\n" * 32 + "右端\r\n", "100"),
]
with tempfile.TemporaryDirectory() as folder:
    for name, text, height in CASES:
        drawing = convert(folder, name.replace(" ", "-"), text, "--code-page", "932",
                          "--height", height)
        doc = ezdxf.readfile(drawing)
        low, high = doc.header["$EXTMIN"], doc.header["$EXTMAX"]
        check(low[0] < high[0] and low[1] < high[1], f"{name}: extents have a size")
        check(len(doc.audit().errors) == 0, f"{name}: ezdxf's audit")
        for text_ in doc.modelspace().query("TEXT"):
            x, y = text_.dxf.insert.x, text_.dxf.insert.y
            h = abs(text_.dxf.height)
            # Every text with its height and a width of its characters at the height.
            width = len(text_.dxf.text) * h
            inside = low[0] <= x and x + width <= high[0] and low[1] <= y and y + h <= high[1]
            if text_.dxf.height < 0:
                inside = low[0] <= x - width and x + width <= high[0] and \
                    low[1] <= y - h and y + h <= high[1]
            check(inside, f"{name}: {text_.dxf.text} at {x},{y} lies in {low} - {high}")
        # GDAL's own extent of the texts' points lies inside too.
        extent = ogr_extent(drawing)
        check(extent is not None, f"{name}: ogrinfo reads an extent")
        if extent:
            check(low[0] <= extent[0] and extent[1] <= high[0] and low[1] <= extent[2] and
                  extent[3] <= high[1], f"{name}: ogrinfo's extent {extent} in {low} - {high}")

    # Through a pipe nothing can be written over: the widest extents stand.
    piped = subprocess.run([CONVERT, "--code-page", "932", "-o", "-", "-"],
                           input="a\r\n".encode(), capture_output=True, check=True).stdout
    path = os.path.join(folder, "piped.dxf")
    with open(path, "wb") as out:
        out.write(piped)
    doc = ezdxf.readfile(path)
    check(tuple(doc.header["$EXTMIN"])[:2] == (-1073741824, -2147516416), "piped $EXTMIN")
    check(tuple(doc.header["$EXTMAX"])[:2] == (1073741823, 2147516415), "piped $EXTMAX")

    # The classic drawing keeps its bytes: no HEADER at all.
    classic = convert(folder, "classic", "a\r\n")
    with open(classic, "rb") as drawing:
        check(b"$EXTMIN" not in drawing.read(), "the classic drawing names no extents")

print("the extents hold every text" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
