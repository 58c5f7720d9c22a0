"""Small drawings of multileaders and dimensions, made with ezdxf, that the reader is checked
on (leaders_against_ezdxf.py) and that tools/leader_pictures.py draws: layers that hide
multileaders, dimensions written without their block, and where multileaders' texts and blocks
stand."""
import ezdxf
from ezdxf.math import Vec2
from ezdxf.render import mleader


def balloon_block(doc):
    blk = doc.blocks.new("BALLOON")
    blk.add_circle((0, 0), 5)
    attdef = blk.add_attdef("NUM", (0, 0), dxfattribs={"height": 4})
    attdef.set_placement((0, 0), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)


def multileader_layers(path):
    """A detail on a layer that shows; balloons and notes far from it on a frozen layer (named
    by the multileaders in other letters' case than the table's) and on one that is off; an
    insert on the frozen layer whose attribute stands on a layer that shows."""
    doc = ezdxf.new("R2018", setup=True)
    doc.layers.add("DETAIL", color=5)
    doc.layers.add("BALLOONS").freeze()
    doc.layers.add("NOTES").off()
    balloon_block(doc)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (40, 0), (40, 25), (0, 25)], close=True,
                       dxfattribs={"layer": "DETAIL"})
    msp.add_text("DETAIL A", dxfattribs={"layer": "DETAIL", "height": 3, "insert": (2, 28)})
    for k in range(4):
        b = msp.add_multileader_block("Standard", dxfattribs={"layer": "balloons"})
        b.set_content(name="BALLOON", alignment=mleader.BlockAlignment.center_extents)
        b.set_attribute("NUM", str(k + 1))
        b.add_leader_line(mleader.ConnectionSide.left, [Vec2(10 * k, 5)])
        b.build(insert=Vec2(300 + 40 * k, 200))
    note = msp.add_multileader_mtext("Standard", dxfattribs={"layer": "NOTES"})
    note.set_content("NOTE ON A LAYER\\PTHAT IS OFF", char_height=4)
    note.add_leader_line(mleader.ConnectionSide.left, [Vec2(40, 25)])
    note.build(insert=Vec2(-250, -150))
    ref = msp.add_blockref("BALLOON", (-200, 150), dxfattribs={"layer": "BALLOONS"})
    ref.add_auto_attribs({"NUM": "9"})
    for attrib in ref.attribs:
        attrib.dxf.layer = "DETAIL"
    doc.saveas(path)
    return path


def dimension_points(path, without_blocks):
    """One dimension of each type in a style of its own (text 4, arrows 3, two decimals);
    without_blocks: the same with no DIMENSION naming its block, as some programs write them."""
    doc = ezdxf.new("R2010")
    style = doc.dimstyles.new("PLAN")
    for name, value in (("dimtxt", 4), ("dimasz", 3), ("dimexo", 1), ("dimexe", 1.25),
                        ("dimgap", 0.6), ("dimdec", 2), ("dimadec", 1), ("dimtad", 1),
                        ("dimtih", 0), ("dimtoh", 0), ("dimblk", "")):
        style.dxf.set(name, value)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (100, 0), (100, 60), (0, 60)], close=True)
    msp.add_line((120, 0), (170, 0))
    msp.add_line((120, 0), (155, 35))
    msp.add_circle((210, 20), 15)
    msp.add_circle((210, 70), 15)
    ds = "PLAN"
    msp.add_linear_dim(base=(0, -15), p1=(0, 0), p2=(100, 0), dimstyle=ds).render()
    msp.add_linear_dim(base=(-15, 0), p1=(0, 0), p2=(0, 60), angle=90, dimstyle=ds).render()
    msp.add_aligned_dim(p1=(0, 60), p2=(100, 0), distance=10, dimstyle=ds).render()
    msp.add_linear_dim(base=(0, 75), p1=(0, 60), p2=(100, 60), text="L=<> mm",
                       dimstyle=ds).render()
    msp.add_angular_dim_2l(base=(150, 15), line1=((120, 0), (170, 0)),
                           line2=((120, 0), (155, 35)), dimstyle=ds).render()
    msp.add_radius_dim(center=(210, 20), radius=15, angle=45, dimstyle=ds).render()
    msp.add_diameter_dim(center=(210, 70), radius=15, angle=30, dimstyle=ds).render()
    msp.add_ordinate_x_dim(feature_location=(100, 60), offset=(10, 20), origin=(0, 0),
                           dimstyle=ds).render()
    msp.add_ordinate_y_dim(feature_location=(100, 0), offset=(25, -10), origin=(0, 0),
                           dimstyle=ds).render()
    if without_blocks:
        for dim in msp.query("DIMENSION"):
            dim.dxf.discard("geometry")
    doc.saveas(path)
    return path


def multileader_places(path):
    """Text multileaders left, centred and right aligned, one turned, and balloons scaled and
    turned: where their texts and blocks stand is what their context data says."""
    doc = ezdxf.new("R2018", setup=True)
    balloon_block(doc)
    msp = doc.modelspace()
    sides = [(mleader.TextAlignment.left, mleader.ConnectionSide.left, -30),
             (mleader.TextAlignment.center, mleader.ConnectionSide.left, -30),
             (mleader.TextAlignment.right, mleader.ConnectionSide.right, 30)]
    for k, (align, side, dx) in enumerate(sides):
        x = 100 * k
        b = msp.add_multileader_mtext("Standard")
        b.set_content(f"ALIGN {align.name}\\Psecond line", char_height=5, alignment=align)
        b.add_leader_line(side, [Vec2(x + dx, 20)])
        b.build(insert=Vec2(x, 50))
    b = msp.add_multileader_mtext("Standard")
    b.set_content("TURNED 30", char_height=5)
    b.add_leader_line(mleader.ConnectionSide.left, [Vec2(-20, -60)])
    b.build(insert=Vec2(10, -40), rotation=30)
    for k, (scale, turn) in enumerate([(1, 0), (2, 0), (1.5, 45)]):
        bb = msp.add_multileader_block("Standard")
        bb.set_content(name="BALLOON", scale=scale,
                       alignment=mleader.BlockAlignment.center_extents)
        bb.set_attribute("NUM", str(k + 1))
        bb.add_leader_line(mleader.ConnectionSide.left, [Vec2(100 + 80 * k - 30, -80)])
        bb.build(insert=Vec2(100 + 80 * k, -50), rotation=turn)
    doc.saveas(path)
    return path
