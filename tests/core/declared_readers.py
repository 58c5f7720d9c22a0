"""Reads the drawing that declares code page 932 with the readers people use, told nothing
about its encoding: ezdxf, GDAL's ogrinfo and LibreCAD's dxf2pdf render.

Usage: declared_readers.py QUILLET_CONVERT
Exits 0 when every reader shows the Japanese, 1 when one does not, 77 when a reader is missing.
"""
import logging
import os
import shutil
import subprocess
import sys
import tempfile

try:
    import ezdxf
    from ezdxf import recover
except ImportError:
    print("ezdxf is not installed for", sys.executable)
    sys.exit(77)
for tool in ("ogrinfo", "librecad", "pdftoppm"):
    if not shutil.which(tool):
        print(tool, "is not installed")
        sys.exit(77)

CONVERT = sys.argv[1]
LINES = "配管,東京\r\nABC,ソケット,ﾃｽﾄ\r\n"
# Placed last field first, line by line.
TEXTS = ["東京", "配管", "ﾃｽﾄ", "ソケット", "ABC"]
INPUTS = {
    "cp932": LINES.encode("cp932"),
    "utf-8": LINES.encode("utf-8"),
    "utf-8-mark": LINES.encode("utf-8-sig"),
    "utf-16-le": LINES.encode("utf-16-le").join([b"\xff\xfe", b""]),
    "utf-16-be": LINES.encode("utf-16-be").join([b"\xfe\xff", b""]),
}
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def convert(folder, name, data, *options):
    source = os.path.join(folder, name + ".csv")
    with open(source, "wb") as out:
        out.write(data)
    drawing = os.path.join(folder, name + ".dxf")
    subprocess.run([CONVERT, *options, "-o", drawing, source], check=True,
                   stdout=subprocess.DEVNULL)
    return drawing


def ogr_texts(drawing):
    listing = subprocess.run(["ogrinfo", "-al", drawing], check=True, capture_output=True,
                             text=True, encoding="utf-8").stdout
    return [line.split("=", 1)[1].strip() for line in listing.splitlines()
            if line.strip().startswith("Text (String) =")]


def render(folder, drawing):
    """Returns LibreCAD's drawing of drawing as the bytes of a grey image."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run(["librecad", "dxf2pdf", "-a", os.path.basename(drawing)], cwd=folder, env=env,
                   check=True, capture_output=True, timeout=120)
    pdf = drawing[:-4] + ".pdf"
    subprocess.run(["pdftoppm", "-r", "40", "-gray", pdf, pdf[:-4]], check=True)
    page = pdf[:-4] + "-1.pgm"
    with open(page, "rb") as image:
        data = image.read()
    # The pixels follow the header's fourth field, the maximum value.
    fields, at = 0, 0
    while fields < 4:
        while data[at:at + 1].isspace():
            at += 1
        while not data[at:at + 1].isspace():
            at += 1
        fields += 1
    return data[at + 1:]


def ink(pixels):
    return sum(1 for value in pixels if value < 128)


logging.disable(logging.WARNING)
with tempfile.TemporaryDirectory() as folder:
    for name, data in INPUTS.items():
        drawing = convert(folder, name, data, "--code-page", "932")
        doc = ezdxf.readfile(drawing)
        check([e.dxf.text for e in doc.modelspace()] == TEXTS, f"ezdxf reads {name}")
        check(all(e.dxf.style == "KST32B" for e in doc.modelspace()), f"style of {name}")
        check(len(doc.audit().errors) == 0, f"ezdxf's audit of {name}")
        check(ogr_texts(drawing) == TEXTS, f"ogrinfo reads {name}: {ogr_texts(drawing)}")

    # What code page 932 lacks comes as escapes, which ezdxf's recover decodes.
    drawing = convert(folder, "beyond", "é,Ω,한\r\n".encode("utf-8"), "--code-page", "932")
    doc, auditor = recover.readfile(drawing)
    check([e.dxf.text for e in doc.modelspace()] == ["한", "Ω", "é"], "escapes through recover")

    # LibreCAD draws a character it has no glyph for as the same box every time. Behind the
    # same header but without the style, 配管 and 東京 are two boxes each and render alike; in
    # the style they must render differently, with glyphs.
    declared, unstyled = [], []
    for word in ("配管", "東京"):
        drawing = convert(folder, word, word.encode("utf-8"), "--code-page", "932")
        declared.append(render(folder, drawing))
        with open(drawing, "rb") as styled:
            bytes_ = styled.read().replace(b"  7\r\nKST32B\r\n", b"")
        plain = os.path.join(folder, "unstyled-" + word + ".dxf")
        with open(plain, "wb") as out:
            out.write(bytes_)
        unstyled.append(render(folder, plain))
    check(ink(declared[0]) > 0 and ink(declared[1]) > 0, "LibreCAD draws the declared texts")
    check(unstyled[0] == unstyled[1], "without the style LibreCAD draws boxes, as expected")
    check(declared[0] != declared[1], "LibreCAD draws 配管 and 東京 as different glyphs")
    check(declared[0] != unstyled[0], "LibreCAD draws glyphs, not boxes, in the style")

print("all readers show the Japanese" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
