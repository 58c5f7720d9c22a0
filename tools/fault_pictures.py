"""Makes the before/after pictures of docs/faults: for each small drawing of
tests/drawing/samples named below, three panels side by side (the preview before the
mending, the preview after it, ezdxf's render), each fitted into the same size.

    /usr/bin/python3 tools/fault_pictures.py BEFORE_PREVIEW AFTER_PREVIEW [OUT_FOLDER]

BEFORE_PREVIEW and AFTER_PREVIEW are quillet-preview programs (a build of the base and one
of the mended tree); OUT_FOLDER is docs/faults unless given. Needs ezdxf, matplotlib and
Pillow (Debian's python3-ezdxf, python3-matplotlib, python3-pil)."""
import os
import subprocess
import sys
import tempfile

import ezdxf
from ezdxf.addons.drawing import matplotlib as ezdxf_matplotlib
from PIL import Image, ImageDraw, ImageOps

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SAMPLES = os.path.join(ROOT, "tests", "drawing", "samples")

sys.path.insert(0, os.path.join(ROOT, "tests", "drawing"))
import make_samples  # noqa: E402  (the samples' own writer, for the two drawings below)


def codes_alone(folder):
    """The sample's short MTEXTs alone, whose codes lack their ';': readable when fitted."""
    d = make_samples.Drawing("AC1015")
    samples = ["{\\C1red} after", "\\H2.5xbig then", "\\W0.8narrow and", "\\Q15slanted too",
               "\\T2wide text", "\\A1middle line", "\\c255rgb colour", "{\\H1.5;kept} as is"]
    for k, sample in enumerate(samples):
        make_samples.mtext(d, d.handle(), 0, -5 * k, sample)
    make_samples.write(folder, "codes_alone.dxf", d)
    return os.path.join(folder, "codes_alone.dxf")


def code_cut_at_chunk(folder):
    """An MTEXT wrapped at 40 units whose 250-byte chunks end inside "{\\C1" and "\\H2", as in
    the sample, of words that wrap."""
    d = make_samples.Drawing("AC1015")
    first = ("first chunk " * 30)[:246] + "{\\C1"
    second = ("second chunk " * 30)[:247] + "\\H2"
    make_samples.mtext(d, d.handle(), 0, 0, first + second + "x;tail} end", width=40.0)
    make_samples.write(folder, "code_cut_at_chunk.dxf", d)
    return os.path.join(folder, "code_cut_at_chunk.dxf")


# Picture name, drawing (a sample's name, or what writes one into a folder), what the picture
# shows, how many times larger its panels are drawn before they are made smaller.
PICTURES = [
    ("3-columns-r2007", "mtext_columns_r2007.dxf",
     "MTEXT in columns, R2007: linked column MTEXTs as one text", 2),
    ("3-columns-r2018", "mtext_columns_r2018.dxf",
     "MTEXT in columns, R2018: embedded object and own groups", 2),
    ("4-codes-without-semicolon", codes_alone,
     "Inline codes without their ';' (the short texts of mtext_codes_without_semicolon.dxf)", 2),
    ("4-code-cut-at-chunk", code_cut_at_chunk,
     "Codes cut at the end of a 250-byte chunk (group 3): the next chunk is text again", 2),
    ("5-long-small-text", "long_small_text.dxf",
     "One line of small text, 36,000 characters, at the fit view", 1),
    ("5-helix", "helix.dxf", "HELIX: the spline it holds", 2),
    ("5-image-underlay-frames", "image_underlay_frames.dxf",
     "IMAGE and underlays whose files are missing: their frames", 2),
]

PANEL = (560, 420)  # each panel's size in pixels
CAPTION = 22        # the height of a panel's caption


def preview(program, drawing, out, larger):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run([program, "--export", out, "--size",
                    f"{PANEL[0] * larger}x{PANEL[1] * larger}", drawing],
                   check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return Image.open(out).convert("RGB")


def ezdxf_render(drawing, out, larger):
    doc = ezdxf.readfile(drawing)
    ezdxf_matplotlib.qsave(doc.modelspace(), out, bg="#FFFFFF", dpi=100 * larger,
                           size_inches=(PANEL[0] / 100, PANEL[1] / 100))
    return Image.open(out).convert("RGB")


def panel(image, caption):
    """The image fitted into a panel, its caption above, a frame about it."""
    fitted = ImageOps.contain(image, PANEL, Image.Resampling.LANCZOS)
    out = Image.new("RGB", (PANEL[0], PANEL[1] + CAPTION), "white")
    out.paste(fitted, ((PANEL[0] - fitted.width) // 2,
                       CAPTION + (PANEL[1] - fitted.height) // 2))
    draw = ImageDraw.Draw(out)
    draw.text((6, 5), caption, fill="black")
    draw.rectangle((0, 0, out.width - 1, out.height - 1), outline=(160, 160, 160))
    return out


def picture(before, after, name, drawing, title, larger, folder, scratch):
    if callable(drawing):
        drawing = drawing(scratch)
    else:
        drawing = os.path.join(SAMPLES, drawing)
    panels = [panel(preview(before, drawing, os.path.join(scratch, "before.png"), larger),
                    "preview before"),
              panel(preview(after, drawing, os.path.join(scratch, "after.png"), larger),
                    "preview after"),
              panel(ezdxf_render(drawing, os.path.join(scratch, "ezdxf.png"), larger),
                    f"ezdxf {ezdxf.__version__}")]
    out = Image.new("RGB", (3 * PANEL[0] + 16, PANEL[1] + CAPTION + 30), "white")
    ImageDraw.Draw(out).text((4, 8), f"{title}  ({os.path.basename(drawing)})", fill="black")
    for k, p in enumerate(panels):
        out.paste(p, (4 + k * (PANEL[0] + 4), 26))
    # A palette of 64 colours keeps each picture small.
    out.quantize(64).save(os.path.join(folder, name + ".png"), optimize=True)


def main(argv):
    if len(argv) not in (3, 4):
        sys.exit(__doc__)
    before, after = argv[1], argv[2]
    folder = argv[3] if len(argv) == 4 else os.path.join(ROOT, "docs", "faults")
    os.makedirs(folder, exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        for name, drawing, title, larger in PICTURES:
            picture(before, after, name, drawing, title, larger, folder, scratch)
            print(os.path.join(folder, name + ".png"))


if __name__ == "__main__":
    main(sys.argv)
