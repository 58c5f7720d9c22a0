"""Writes small drawings of the preview's multileader and dimension faults and pictures of them:
three panels side by side, the preview before (an older build), the preview after and ezdxf's
render. Run with Debian's Python (python3-ezdxf, python3-matplotlib, python3-pil):

    /usr/bin/python3 tools/leader_pictures.py BEFORE/quillet-preview AFTER/quillet-preview OUT

OUT gets 1-multileader-layers.png, 2-dimension-points.png and 6-multileader-places.png; the
drawings go to OUT/drawings (keep them out of the repository: they are remade here)."""
import os
import subprocess
import sys

import ezdxf
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from ezdxf.addons.drawing import Frontend, RenderContext  # noqa: E402
from ezdxf.addons.drawing.matplotlib import MatplotlibBackend  # noqa: E402
from PIL import Image, ImageDraw, ImageOps  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "drawing"))
from leader_drawings import (dimension_points, multileader_layers,  # noqa: E402
                             multileader_places)

SIZE = (720, 480)


def preview(program, drawing, out):
    subprocess.run([program, "--export", out, "--size", f"{SIZE[0]}x{SIZE[1]}", drawing],
                   check=True, stderr=subprocess.DEVNULL)
    return Image.open(out).convert("RGB")


def ezdxf_render(drawing, out):
    doc = ezdxf.readfile(drawing)
    fig = plt.figure(figsize=(SIZE[0] / 100, SIZE[1] / 100), dpi=100)
    ax = fig.add_axes([0, 0, 1, 1])
    Frontend(RenderContext(doc), MatplotlibBackend(ax)).draw_layout(doc.modelspace(),
                                                                     finalize=True)
    fig.savefig(out, dpi=100, facecolor="white")
    plt.close(fig)
    image = Image.open(out).convert("RGB")
    return ImageOps.pad(image, SIZE, color=image.getpixel((0, 0)))


def panels(images, labels, out):
    gap, top = 8, 22
    width = sum(i.width for i in images) + gap * (len(images) - 1)
    whole = Image.new("RGB", (width, top + max(i.height for i in images)), "white")
    draw = ImageDraw.Draw(whole)
    x = 0
    for image, label in zip(images, labels):
        whole.paste(image, (x, top))
        draw.rectangle([x, top, x + image.width - 1, top + image.height - 1], outline="grey")
        draw.text((x + 4, 4), label, fill="black")
        x += image.width + gap
    whole.convert("P", palette=Image.ADAPTIVE, colors=64).save(out, optimize=True)


def main(before, after, out):
    work = os.path.join(out, "drawings")
    os.makedirs(work, exist_ok=True)
    j = lambda name: os.path.join(work, name)  # noqa: E731
    cases = [
        ("1-multileader-layers", multileader_layers(j("multileader-layers.dxf")), None),
        ("2-dimension-points", dimension_points(j("dimension-points.dxf"), True),
         dimension_points(j("dimension-points-blocks.dxf"), False)),
        ("6-multileader-places", multileader_places(j("multileader-places.dxf")), None),
    ]
    for name, drawing, peer in cases:
        images = [preview(before, drawing, j(name + "-before.png")),
                  preview(after, drawing, j(name + "-after.png")),
                  ezdxf_render(peer or drawing, j(name + "-ezdxf.png"))]
        labels = ["preview before", "preview after",
                  "ezdxf" + (" (the same with blocks)" if peer else "")]
        panels(images, labels, os.path.join(out, name + ".png"))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
