"""Writes the drawings the reader is tested on, made by ezdxf (and by GDAL's ogr2ogr when it
is there): python3 make_peer_drawings.py FOLDER. Each drawing holds the same few entities."""
import os
import shutil
import subprocess
import sys

import ezdxf

TEXTS = [("配管", 0, 0, 2.5), ("東京", 10, 5, 5), ("ソケット", -20, -10, 1), ("ﾃｽﾄ", 3, 30, 2)]


def fill(doc):
    msp = doc.modelspace()
    for text, x, y, h in TEXTS:
        msp.add_text(text, dxfattribs={"height": h, "insert": (x, y)})
    centred = msp.add_text("中央", dxfattribs={"height": 2, "rotation": 90})
    centred.set_placement((50, 50), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
    msp.add_line((0, 0), (100, 0))
    msp.add_circle((50, 50), 10)
    msp.add_arc((0, 0), 5, 0, 90)
    msp.add_polyline2d([(20, 20), (30, 20), (30, 30)])
    msp.add_point((1, 1))
    if doc.dxfversion > "AC1009":
        msp.add_lwpolyline([(0, 0), (10, 0), (10, 10)], close=True)
        msp.add_mtext("一行目\\P二行目", dxfattribs={"char_height": 3, "insert": (0, 60)})


def main(folder):
    for version in ("R12", "R2000", "R2010"):
        doc = ezdxf.new(version)
        fill(doc)
        doc.saveas(os.path.join(folder, f"ezdxf-{version}.dxf"))
    if shutil.which("ogr2ogr"):
        csv = os.path.join(folder, "points.csv")
        with open(csv, "w", encoding="utf-8") as out:
            out.write("WKT,name\n")
            out.write('"LINESTRING (0 0,10 0,10 10)",配管\n')
            out.write('"POINT (5 5)",東京\n')
        subprocess.run(["ogr2ogr", "-f", "DXF", os.path.join(folder, "gdal.dxf"), csv],
                       check=True, capture_output=True)


if __name__ == "__main__":
    main(sys.argv[1])
