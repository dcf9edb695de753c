#!/usr/bin/python3
"""Writes the DXF test drawings of the outline import with ezdxf (Debian's
python3-ezdxf), an independent DXF writer. Run from this folder:

    /usr/bin/python3 make_drawings.py

The drawings are kept in the repository; run this again only to change them.
What each one must import as is stated in tests/views/dxf_import_test.cpp.
"""
import math

import ezdxf


def new(version, measurement=None):
    doc = ezdxf.new(version)
    if measurement is not None:
        doc.header["$MEASUREMENT"] = measurement
    return doc, doc.modelspace()


def rectangle(msp, w, h):
    # Head to tail, but the top edge drawn the other way.
    msp.add_line((0, 0), (w, 0))
    msp.add_line((w, 0), (w, h))
    msp.add_line((0, h), (w, h))
    msp.add_line((0, h), (0, 0))


def rounded(msp):
    # A 60 x 40 rectangle with corners of radius 5, a tab on the right edge
    # that is more than a half circle, and a half-round notch in the top edge
    # (an arc that runs against the outline). Entities in a mixed order.
    tab = math.degrees(math.atan2(5, -2))  # 111.80...
    msp.add_line((5, 0), (55, 0))
    msp.add_arc((5, 35), 5, 90, 180)
    msp.add_line((60, 25), (60, 35))
    msp.add_arc((62, 20), math.hypot(2, 5), -tab, tab)
    msp.add_line((0, 35), (0, 5))
    msp.add_arc((30, 40), 5, 180, 360)
    msp.add_arc((55, 5), 5, 270, 360)
    msp.add_line((35, 40), (55, 40))
    msp.add_arc((55, 35), 5, 0, 90)
    msp.add_line((60, 5), (60, 15))
    msp.add_arc((5, 5), 5, 180, 270)
    msp.add_line((25, 40), (5, 40))


def four_point_spline(msp, groups):
    points = [p for g in groups for p in g]
    knots = [float(k) for k in range(len(groups) + 1) for _ in range(4)]
    msp.add_open_spline(points, degree=3, knots=knots)


def main():
    for version, tag in (("R12", "r12"), ("R2000", "r2000")):
        measurement = 1 if version == "R2000" else None
        doc, msp = new(version, measurement)
        rectangle(msp, 100, 50)
        doc.saveas(f"rectangle_{tag}.dxf")

        doc, msp = new(version, measurement)
        rounded(msp)
        doc.saveas(f"rounded_{tag}.dxf")

        doc, msp = new(version, measurement)
        msp.add_circle((50, 30), 20)
        doc.saveas(f"circle_{tag}.dxf")

    # Two curves and two straight pieces (a group whose first control point
    # repeats its start).
    doc, msp = new("R2000", 1)
    four_point_spline(msp, [
        [(0, 0), (10, -5), (20, -5), (30, 0)],
        [(30, 0), (40, 10), (40, 20), (30, 30)],
        [(30, 30), (30, 30), (0, 30), (0, 30)],
        [(0, 30), (0, 30), (0, 0), (0, 0)],
    ])
    doc.saveas("spline_r2000.dxf")

    doc, msp = new("R2000", 1)
    msp.add_open_spline([(0, 0), (10, 0), (10, 10), (0, 10), (-5, 5), (0, 0)], degree=3)
    doc.saveas("spline_six_points_r2000.dxf")

    doc, msp = new("R2000", 0)
    rectangle(msp, 4, 3)
    doc.saveas("measurement_inch_r2000.dxf")

    # Triangles whose second corner is off by 0.00005 (joins) and by 0.0002
    # (does not) in x and y.
    for name, gap in (("gap_joins", 0.00005), ("gap_open", 0.0002)):
        doc, msp = new("R2000", 1)
        msp.add_line((0, 0), (10, 0))
        msp.add_line((10 + gap, gap), (5, 8))
        msp.add_line((5, 8), (0, 0))
        doc.saveas(f"{name}_r2000.dxf")

    # A half circle closed by its chord, at angles where rounding makes the
    # chord a little longer than the diameter.
    doc, msp = new("R2000", 1)
    arc = msp.add_arc((20, 10), 10, 30, 210)
    start, end = arc.start_point, arc.end_point
    msp.add_line((end.x, end.y), (start.x, start.y))
    doc.saveas("half_circle_r2000.dxf")

    # A square whose lines carry points of their own (codes 1010, 1020,
    # 1030) in extended data, between texts longer than any line buffer.
    doc, msp = new("R2000", 1)
    doc.appids.new("VORPEL")
    corners = [(0, 0), (20, 0), (20, 20), (0, 20)]
    for i, start in enumerate(corners):
        end = corners[(i + 1) % 4]
        line = msp.add_line(start, end)
        line.set_xdata("VORPEL", [(1000, "corner"), (1010, (start[0] + 0.5, start[1] + 0.25, 7))])
        msp.add_text("long text " * 30 + str(i))
    doc.saveas("xdata_points_r2000.dxf")


if __name__ == "__main__":
    main()
