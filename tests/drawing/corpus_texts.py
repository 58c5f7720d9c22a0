"""Reads every drawing of the shared corpus with quillet-texts and with ezdxf and compares every
text's string and place: python3 corpus_texts.py QUILLET_TEXTS CORPUS_DIR [FLOOR].

Prints the figures (files that open, texts that agree, files that draw nothing) and the files
that differ. Fails when a file crashes or hangs the reader, or when the agreement falls below
FLOOR (a fraction). Exit 77 (skipped) without ezdxf or the corpus."""
import json
import math
import os
import re
import resource
import select
import subprocess
import sys

try:
    import ezdxf
    from ezdxf import recover
    from ezdxf.math import Vec3
    from ezdxf.tools.text import plain_mtext
except ImportError:
    print("ezdxf is not there")
    sys.exit(77)

TIMEOUT = 60
MAX_TEXTS = 200000  # a peer expanding nested arrays stops here


def norm(text):
    return re.sub(r"\s+", " ", text).strip()


def wcs_angle(entity, degrees):
    ocs = entity.ocs()
    a = math.radians(degrees)
    d = ocs.to_wcs(Vec3(math.cos(a), math.sin(a), 0)) - ocs.to_wcs(Vec3(0, 0, 0))
    return math.degrees(math.atan2(d.y, d.x)) % 360


UNICODE_ESCAPE = re.compile(r"\\U\+([0-9A-Fa-f]{4})")
MIF_ESCAPE = re.compile(r"\\M\+([1-5])([0-9A-Fa-f]{4})")
MIF_CODE_PAGES = {"1": "cp932", "2": "cp950", "3": "cp949", "4": "johab", "5": "cp936"}
STACK = re.compile(r"\\S([^;]*?)[\^/#]([^;]*);")


def mif_character(m):
    try:
        return bytes.fromhex(m.group(2)).decode(MIF_CODE_PAGES[m.group(1)])
    except UnicodeDecodeError:
        return m.group(0)


def unescaped(text):
    """Returns text with its \\U+XXXX escapes decoded, as ezdxf's recover decodes them when
    loading (its plain readfile keeps them, and recover fails on two run together), and its
    \\M+nXXXX escapes (a character of code page n), which ezdxf keeps."""
    text = UNICODE_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)
    return MIF_ESCAPE.sub(mif_character, text)


def unstacked(text):
    """Returns an MTEXT's text with its stacked fractions (\\S1/2; \\S1^2; \\S1#2;) written
    1/2, as this reader shows them: ezdxf's plain text makes "1p" of "\\S1^2;"."""
    return STACK.sub(lambda m: m.group(1) + "/" + m.group(2), text)


def mtext_plain(e):
    """Returns an MTEXT's text as ezdxf's drawing add-on reads it: its inline codes by the full
    parser (which ends a numeric code with its number, ';' or not), its further columns (R2007
    and before: MTEXTs of their own) each after a line break, empty ones adding nothing."""
    def plain(m):
        # ezdxf's plain text keeps MTEXT's non-breaking space "\\~" as it stands.
        text = unstacked(unescaped(m.text)).replace("\\~", "\u00a0")
        return plain_mtext(text, split=False)
    texts = [plain(e)]
    if e.has_columns:
        texts += [plain(c) for c in e._columns.linked_columns if c.text]
    return "\n".join(texts)


def peer_text(e):
    """Returns (x, y, height, rotation, text) of a text entity as ezdxf places it, or None."""
    kind = e.dxftype()
    if kind in ("TEXT", "ATTRIB", "ATTDEF"):
        e.dxf.text = unescaped(e.dxf.get("text", ""))
    if kind in ("TEXT", "ATTRIB", "ATTDEF"):
        if kind == "ATTRIB" and e.is_invisible:
            return None
        halign = e.dxf.get("halign", 0)
        valign = e.dxf.get("valign", 0)
        p = e.dxf.insert
        if (halign or valign) and e.dxf.hasattr("align_point") and halign not in (3, 5):
            p = e.dxf.align_point
        w = e.ocs().to_wcs(p)
        return (w.x, w.y, e.dxf.height, wcs_angle(e, e.dxf.get("rotation", 0)), e.plain_text())
    if kind == "MTEXT":
        p = e.dxf.insert
        return (p.x, p.y, e.dxf.char_height, e.get_rotation() % 360, mtext_plain(e))
    return None


def peer_texts(entities, depth=0, out=None):
    out = [] if out is None else out
    for e in entities:
        if len(out) >= MAX_TEXTS:
            break
        kind = e.dxftype()
        try:
            t = peer_text(e)
            if t:
                out.append(t)
            if depth < 16 and kind == "INSERT":
                if e.dxf.get("zscale", 1) == 0:
                    e.dxf.zscale = 1  # flat in Z changes nothing in plan; ezdxf divides by it
                for a in e.attribs:
                    t = peer_text(a)
                    if t:
                        out.append(t)
                for copy in e.multi_insert() if e.mcount > 1 else [e]:
                    peer_texts(copy.virtual_entities(), depth + 1, out)
            elif depth < 16 and kind in ("DIMENSION", "MULTILEADER", "MLEADER"):
                peer_texts(e.virtual_entities(), depth + 1, out)
        except Exception:
            continue
    return out


def hidden_layers(doc):
    return {l.dxf.name for l in doc.layers if l.is_off() or l.is_frozen()}


def ours(program, path, *options):
    r = subprocess.run([program, *options, path], capture_output=True, timeout=TIMEOUT)
    if r.returncode < 0:
        raise SystemExit(f"{path}: the reader crashed (signal {-r.returncode})")
    return r.returncode, r.stdout.decode("utf-8", "replace")


def parse_listing(listing):
    texts = []
    for line in listing.splitlines():
        f = line.split("\t", 4)
        if len(f) < 5:
            continue
        text = f[4].replace("\\\\", "\0").replace("\\n", "\n").replace("\\t", "\t")
        texts.append((float(f[0]), float(f[1]), float(f[2]), float(f[3]), text.replace("\0", "\\")))
    return texts


def close(a, b, scale):
    return abs(a - b) <= 1e-6 * max(1.0, abs(a), abs(b), scale) + 1e-3


def agree(peer, mine):
    """Returns how many of peer's texts have one of mine with the same string and place."""
    scale = max([abs(c) for t in peer for c in t[:2]] + [1.0])
    left = {}
    for m in mine:
        left.setdefault(norm(m[4]), []).append(m)
    n = 0
    for p in peer:
        cands = left.get(norm(p[4]), [])
        for k, m in enumerate(cands):
            if close(p[0], m[0], scale) and close(p[1], m[1], scale) and close(p[2], m[2], scale):
                del cands[k]
                n += 1
                break
    return n


def peer_read(path):
    """Returns ezdxf's texts of the drawing at path, as peer_texts makes them."""
    # recover reads broken drawings but not the binary form, and stumbles on some escapes.
    try:
        doc, _ = recover.readfile(path)
    except Exception:
        doc = ezdxf.readfile(path)
    hidden = hidden_layers(doc)
    return peer_texts([e for e in doc.modelspace() if e.dxf.get("layer", "0") not in hidden])


def peer_worker():
    """Reads drawing paths from standard input, one a line, and answers each with one line of
    JSON: ezdxf's texts, or null when ezdxf cannot read the drawing."""
    # Its memory bounded: some drawings make ezdxf expand forever.
    resource.setrlimit(resource.RLIMIT_AS, (3 << 30, 3 << 30))
    for line in sys.stdin:
        try:
            answer = peer_read(line.rstrip("\n"))
        except (Exception, MemoryError, RecursionError):
            answer = None
        sys.stdout.write(json.dumps(answer) + "\n")
        sys.stdout.flush()
    return 0


class Peer:
    """ezdxf in one child process for every drawing (starting it once a file cost most of the
    run), started again after a drawing that hangs or kills it."""

    def __init__(self):
        self.child = None

    def texts(self, path):
        """Returns ezdxf's texts of path, or None when it cannot read it in TIMEOUT seconds."""
        if self.child is None:
            self.child = subprocess.Popen([sys.executable, __file__, "--peer"],
                                          stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                          stderr=subprocess.DEVNULL,
                                          text=True, encoding="utf-8", errors="surrogateescape")
        try:
            self.child.stdin.write(path + "\n")
            self.child.stdin.flush()
        except OSError:
            self.stop()
            return None
        ready, _, _ = select.select([self.child.stdout], [], [], TIMEOUT)
        answer = self.child.stdout.readline() if ready else ""
        if not answer:  # hung or died
            self.stop()
            return None
        texts = json.loads(answer)
        return None if texts is None else [tuple(t) for t in texts]

    def stop(self):
        if self.child is not None:
            self.child.kill()
            self.child.wait()
            self.child = None


def main():
    if sys.argv[1] == "--peer":
        return peer_worker()
    program, corpus = sys.argv[1], sys.argv[2]
    floor = float(sys.argv[3]) if len(sys.argv) > 3 else 0.0
    if not os.path.isdir(corpus):
        print(f"the corpus is not there: {corpus}")
        return 77
    files = sorted(os.path.join(d, f) for d, _, fs in os.walk(corpus) for f in fs
                   if f.lower().endswith(".dxf"))
    opened = peer_total = agreed = 0
    differ, nothing = [], []
    peer = Peer()
    try:
        for path in files:
            name = os.path.relpath(path, corpus)
            code, summary = ours(program, path, "--summary")
            if code != 0:
                differ.append((name, "not opened"))
                continue
            opened += 1
            counts = dict(zip(summary.split()[0::2], summary.split()[1::2]))
            if all(counts.get(k) == "0" for k in ("texts", "lines", "arcs", "polylines", "inserts")):
                nothing.append(name)
            _, listing = ours(program, path)
            mine = parse_listing(listing)
            theirs = peer.texts(path)
            if theirs is None:
                differ.append((name, "ezdxf cannot read it"))
                continue
            n = agree(theirs, mine)
            peer_total += len(theirs)
            agreed += n
            if n != len(theirs) or len(mine) != len(theirs):
                differ.append((name, f"{n} of ezdxf's {len(theirs)} texts agree, quillet has {len(mine)}"))
    finally:
        peer.stop()
    share = agreed / peer_total if peer_total else 1.0
    print(f"files: {len(files)}, open: {opened}, draw nothing: {len(nothing)}")
    print(f"texts: {agreed} of ezdxf's {peer_total} agree ({100 * share:.2f}%)")
    for name, why in differ:
        print(f"  {name}: {why}")
    for name in nothing:
        print(f"  {name}: draws nothing")
    if share < floor:
        print(f"agreement {share:.4f} is below the floor {floor}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
