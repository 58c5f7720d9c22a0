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
import subprocess
import sys

try:
    import ezdxf
    from ezdxf import recover
    from ezdxf.math import Vec3
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


def peer_text(e):
    """Returns (x, y, height, rotation, text) of a text entity as ezdxf places it, or None."""
    kind = e.dxftype()
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
        return (p.x, p.y, e.dxf.char_height, e.get_rotation() % 360, e.plain_text(split=False))
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
                for a in e.attribs:
                    t = peer_text(a)
                    if t:
                        out.append(t)
                for copy in e.multi_insert() if e.mcount > 1 else [e]:
                    peer_texts(copy.virtual_entities(), depth + 1, out)
            elif depth < 16 and kind == "DIMENSION":
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


def peer_main(path):
    # ezdxf in a child of its own, its memory bounded: some drawings make it expand forever.
    resource.setrlimit(resource.RLIMIT_AS, (3 << 30, 3 << 30))
    # recover reads broken drawings but not the binary form, and stumbles on some escapes.
    try:
        doc, _ = recover.readfile(path)
    except Exception:
        doc = ezdxf.readfile(path)
    hidden = hidden_layers(doc)
    texts = peer_texts([e for e in doc.modelspace() if e.dxf.get("layer", "0") not in hidden])
    json.dump(texts, sys.stdout)
    return 0


def main():
    if sys.argv[1] == "--peer":
        return peer_main(sys.argv[2])
    program, corpus = sys.argv[1], sys.argv[2]
    floor = float(sys.argv[3]) if len(sys.argv) > 3 else 0.0
    if not os.path.isdir(corpus):
        print(f"the corpus is not there: {corpus}")
        return 77
    files = sorted(os.path.join(d, f) for d, _, fs in os.walk(corpus) for f in fs
                   if f.lower().endswith(".dxf"))
    opened = peer_total = agreed = nothing = 0
    differ = []
    for path in files:
        name = os.path.relpath(path, corpus)
        print(name, file=sys.stderr, flush=True)
        code, summary = ours(program, path, "--summary")
        if code != 0:
            differ.append((name, "not opened"))
            continue
        opened += 1
        counts = dict(zip(summary.split()[0::2], summary.split()[1::2]))
        if all(counts.get(k) == "0" for k in ("texts", "lines", "arcs", "polylines", "inserts")):
            nothing += 1
        _, listing = ours(program, path)
        mine = parse_listing(listing)
        try:
            r = subprocess.run([sys.executable, __file__, "--peer", path], capture_output=True,
                               timeout=TIMEOUT)
            peer = [tuple(t) for t in json.loads(r.stdout)] if r.returncode == 0 else None
        except subprocess.TimeoutExpired:
            peer = None
        if peer is None:
            differ.append((name, "ezdxf cannot read it"))
            continue
        n = agree(peer, mine)
        peer_total += len(peer)
        agreed += n
        if n != len(peer) or len(mine) != len(peer):
            differ.append((name, f"{n} of ezdxf's {len(peer)} texts agree, quillet has {len(mine)}"))
    share = agreed / peer_total if peer_total else 1.0
    print(f"files: {len(files)}, open: {opened}, draw nothing: {nothing}")
    print(f"texts: {agreed} of ezdxf's {peer_total} agree ({100 * share:.2f}%)")
    for name, why in differ:
        print(f"  {name}: {why}")
    if share < floor:
        print(f"agreement {share:.4f} is below the floor {floor}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
