"""Reads a drawing written by quillet-convert back with ezdxf and checks every text.

Usage: read_back.py QUILLET_CONVERT
Exits 0 when ezdxf finds what the input asked for, 1 when not, 77 when ezdxf is missing.
"""
import logging
import os
import subprocess
import sys
import tempfile

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed for", sys.executable)
    sys.exit(77)

HEIGHT = 50

# Lines of the input; None is an empty line. Each line's fields are placed last first.
LINES = [
    "日本,語, 空白 ",
    "表示,ソ",  # second bytes 0x5C and 0x5C: the backslash
    None,
    "ｶﾀｶﾅ,\"引用,符\",,",
    "全角，読点",
    None,
    None,
    "x",
    ",,,",
    "最後",
]


def expected_texts():
    """Yields (x, y, text) in the order the converter writes them."""
    column = 0
    item = 0
    for line in LINES:
        if line is None:
            column += 1
            item = 0
            continue
        for field in reversed(line.split(",")):
            if field:
                yield (column * HEIGHT * 10, -(HEIGHT * item) * 2, field)
                item += 1


def main():
    converter = sys.argv[1]
    failures = []
    warnings = []

    class Collect(logging.Handler):
        def emit(self, record):
            warnings.append(record.getMessage())

    logging.getLogger("ezdxf").addHandler(Collect(level=logging.WARNING))

    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "入力.csv")
        with open(source, "wb") as f:
            f.write("\r\n".join(line or "" for line in LINES).encode("cp932"))
        run = subprocess.run([converter, "--height", str(HEIGHT), source],
                             capture_output=True, env={"LC_ALL": "C"})
        if run.returncode != 0:
            print("quillet-convert failed:", run.stderr.decode(errors="replace"))
            return 1
        expected = list(expected_texts())
        report = run.stdout.decode()
        # The quoted line holding a comma is read as it stands, and the report says so.
        quoted = ("引用符の中にカンマがある行 : 1 行をそのまま読みました"
                  " (表計算ソフトの引用符として読むには quillet-convert --quotes)\n")
        if report != f"処理した文字数 : {len(expected)}\n{quoted}処理終了\n":
            failures.append(f"report {report!r}")

        doc = ezdxf.readfile(source + ".dxf", encoding="cp932")
        auditor = doc.audit()
        for error in auditor.errors:
            failures.append(f"audit error: {error}")
        texts = [e for e in doc.modelspace() if e.dxftype() == "TEXT"]
        if len(texts) != len(list(doc.modelspace())):
            failures.append("entities other than TEXT in the drawing")
        if len(texts) != len(expected):
            failures.append(f"{len(texts)} texts, expected {len(expected)}")
        for entity, (x, y, text) in zip(texts, expected):
            got = (tuple(entity.dxf.insert), entity.dxf.height, entity.dxf.text, entity.dxf.layer)
            want = ((float(x), float(y), 0.0), float(HEIGHT), text, "0")
            if got != want:
                failures.append(f"got {got}, expected {want}")
        print(f"ezdxf {ezdxf.__version__}: version {doc.dxfversion}, encoding {doc.encoding},"
              f" {len(texts)} texts, {len(auditor.fixes)} audit fixes")
        for fix in auditor.fixes:
            print("  audit fix:", fix)
        for warning in warnings:
            print("  ezdxf warning:", warning)

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
