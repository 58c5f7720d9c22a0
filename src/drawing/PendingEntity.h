// The entity being read: what its pairs have said so far, each value under what it means. A
// group code means different things for different kinds (40 is a text's height, a circle's
// radius and an ellipse's axis ratio), so the parser puts each value where the entity's kind
// says it belongs, and the records are made from these fields alone (EntityRecords.h).
#pragma once

#include "Entities.h"
#include "Shapes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace quillet::drawing {

// What the parser stands in: the kind of the entity being read, or a table entry, a block's
// start, a section's start, or nothing that is kept.
enum class EntityKind : std::uint8_t {
    None,
    Ignored,
    Text,
    Attrib, // ATTRIB, and ATTDEF outside blocks
    MText,
    Line,
    Point,
    Circle,
    Arc,
    Ellipse,
    LwPolyline,
    Polyline,
    Vertex,
    Solid, // SOLID and TRACE
    Face,  // 3DFACE
    Spline,
    Leader,
    Insert,
    Dimension,
    Table,
    XLine,
    Ray,
    Hatch,
    MLeader,
    BlockStart,
    LayerEntry,
    SectionStart,
    Image,    // IMAGE: its frame
    Underlay, // PDF, DWF and DGN UNDERLAY: its clipping boundary
    DimensionStyleEntry
};

// The values of one entity that are not repeated.
struct PendingEntity {
    // Every kind.
    Look look;               // colour (62, or 420, which wins) and layer (8)
    bool trueColour = false; // a 420 came: a 62 after it changes nothing
    bool paperSpace = false; // 67 = 1
    bool bad = false;        // a value that is no finite number of sensible size
    bool embedded = false;   // past "101 Embedded Object" or a helix's "100 AcDbHelix": the
                             // rest is not what this entity draws
    Point extrusion2D{0, 0}; // 210, 220: the extrusion's X and Y
    double extrusionZ = 1;   // 230

    // Points, by code: 10/20, 11/21, 12/22, 13/23.
    Point at;     // an insertion or base point, a centre, a line's start, a first corner
    Point second; // a text's alignment point, an MTEXT's direction, a line's end, an
                  // ellipse's major axis, an XLINE's or RAY's direction, a second corner
    Point third;  // a solid's or face's third corner
    Point fourth; // a solid's or face's fourth corner
    bool haveSecond = false;
    bool haveFourth = false;

    // Texts (TEXT, ATTRIB, MTEXT).
    bool haveText = false;  // a 1 came
    double height = 0;      // 40
    double rotation = 0;    // 50, degrees; an insert's too
    double widthFactor = 1; // 41 of TEXT and ATTRIB
    double oblique = 0;     // 51 of TEXT and ATTRIB, degrees
    int generation = 0;     // 71 of TEXT and ATTRIB: 2 backwards, 4 upside down
    int halign = 0;         // 72
    int valign = 0;         // 73 of TEXT, 74 of ATTRIB
    bool invisible = false; // 70 bit 1 of ATTRIB
    int attachment = 1;     // 71 of MTEXT: 1 to 9, top left to bottom right
    double wrapWidth = 0;   // 41 of MTEXT
    double lineSpacing = 0; // 44 of MTEXT, a factor

    // Circles and arcs.
    double radius = 0;     // 40
    double startAngle = 0; // 50 of ARC, degrees
    double endAngle = 360; // 51 of ARC, degrees

    // Ellipses.
    double axisRatio = 0;                 // 40: the minor axis over the major one
    std::optional<double> startParameter; // 41, radians
    std::optional<double> endParameter;   // 42, radians

    // Block references (INSERT, DIMENSION, ACAD_TABLE).
    bool haveName = false;
    std::uint64_t name = 0;       // offset and length of the block's name in the owner's textBytes
    std::optional<double> xScale; // 41
    std::optional<double> yScale; // 42
    int columns = 1;              // 70
    int rows = 1;                 // 71
    double columnSpacing = 0;     // 44
    double rowSpacing = 0;        // 45

    // Polylines, vertices and splines.
    int flags = 0;               // 70
    std::optional<double> bulge; // 42 of a VERTEX
    int degree = 3;              // 71 of SPLINE

    // Returns the entity's object coordinate system.
    Ocs ocs() const noexcept { return Ocs(extrusion2D.x, extrusion2D.y, extrusionZ); }

    std::uint64_t handle = 0;       // 5 of an MTEXT, which the columns of another may name
    const char* kindName = nullptr; // an underlay's kind, named when it shows no frame
};

// The repeated values of one entity: an LWPOLYLINE's vertices and bulges, a SPLINE's control
// and fit points, knots and weights, a LEADER's vertices, the clipping boundary of an IMAGE or
// an underlay. Kept apart from the rest, which is
// set afresh for every entity, so that their memory is used again.
struct PendingLists {
    std::vector<Point> points; // vertices, control points (10/20)
    std::vector<Point> fit;    // a spline's fit points (11/21)
    std::vector<double> bulges, knots, weights;

    void clear() noexcept {
        points.clear();
        fit.clear();
        bulges.clear();
        knots.clear();
        weights.clear();
    }
};

// An MTEXT's columns as its pairs state them: in its own groups (75 type, 76 count, 48 width,
// 49 gutter, 50 heights after a 75), in the embedded object of R2018 (after 101) or in the
// XDATA of R2000 to R2013 (ACAD_MTEXT_COLUMN_INFO, ACAD_MTEXT_DEFINED_HEIGHT), whose
// ACAD_MTEXT_COLUMNS also names the MTEXTs that hold the columns after the first. Set up
// afresh only for an MTEXT, so other entities pay nothing for it.
struct PendingColumns {
    int type = 0;                      // 0 none, 1 static, 2 dynamic
    int count = 0;                     // 0: not stated
    double width = 0;                  // each column's
    double gutter = 0;                 // between two columns
    double definedHeight = 0;          // each column's, when they have one height
    double totalWidth = 0;             // R2018's, for a count it leaves 0
    std::vector<double> heights;       // each column's own, when they differ
    std::vector<std::uint64_t> linked; // the handles of the MTEXTs of the further columns

    // Where the reading stands.
    bool ownGroups = false; // a 75 came: a later 50 counts heights, no longer the rotation
    int heightsLeft = -1;   // heights still to come after their count (-1: no count yet)
    bool acad = false;      // in the XDATA of application ACAD
    int part = 0;           // which ACAD_MTEXT_... part of it: kColumnInfo, kColumns, kHeight
    int key = -1;           // the group code a 1070 named there, its value awaited
    static constexpr int kColumnInfo = 1, kColumns = 2, kHeight = 3;

    // Sets everything up for the next MTEXT, keeping the lists' memory.
    void clear() noexcept {
        type = count = 0;
        width = gutter = definedHeight = totalWidth = 0;
        heights.clear();
        linked.clear();
        ownGroups = acad = false;
        heightsLeft = key = -1;
        part = 0;
    }
};

} // namespace quillet::drawing
