// The drawn entities of a drawing in compact arrays: one record per entity, no object of its
// own, the texts' bytes in one arena. Blocks hold the same arrays and are kept once; an insert
// refers to its block by number.
#pragma once

#include "Box.h"
#include "ByteArena.h"
#include "ChunkedArray.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillet::drawing {

struct Point {
    double x = 0;
    double y = 0;
};

// A colour as an entity names it, in 32 bits: the top byte says which kind (kByLayer,
// kByBlock, kIndex with the ACI number 1..255 in the low byte, kTrue with 0xRRGGBB in the low
// three bytes). Colour.h turns it into RGB.
struct Colour {
    static constexpr std::uint32_t kByLayer = 0x00000000;
    static constexpr std::uint32_t kByBlock = 0x01000000;
    static constexpr std::uint32_t kIndex = 0x02000000;
    static constexpr std::uint32_t kTrue = 0x03000000;
    std::uint32_t value = kByLayer;

    std::uint32_t kind() const noexcept { return value & 0xFF000000u; }
    static Colour index(int aci) noexcept {
        return {kIndex | static_cast<std::uint32_t>(aci & 0xFF)};
    }
    static Colour rgb(std::uint32_t rgb) noexcept { return {kTrue | (rgb & 0xFFFFFF)}; }
    bool operator==(const Colour&) const = default;
};

// What every drawn record carries besides its geometry, 8 bytes: its colour and its layer
// (a number into Entities::layers).
struct Look {
    Colour colour;
    std::uint16_t layer = 0;
    std::uint16_t spare = 0; // flags of the record that owns it
};

// Where a text's anchor lies on it, across and up.
enum class HAlign : std::uint8_t { Left, Center, Right, Aligned, Middle, Fit };
enum class VAlign : std::uint8_t { Baseline, Bottom, Middle, Top };

// What a text has beyond its record, kept in the arena just before its bytes when the text
// needs it (flag kExtra): 24 bytes, read with textExtra().
struct TextExtra {
    std::uint32_t length = 0; // the text's whole length in bytes
    Look look;
    float obliqueDegrees = 0; // TEXT's slant (51)
    float wrapWidth = 0;      // MTEXT's reference width (41); 0: no wrapping
    float lineSpacing = 0;    // MTEXT's line spacing factor (44); 0: the usual 1
    std::uint8_t mirror = 0;  // TEXT's 71: 2 backwards, 4 upside down
    std::uint8_t columns = 0; // 1: an MTEXT in columns, its TextColumns between this and its bytes
};
static_assert(sizeof(TextExtra) == 28);

// How an MTEXT in columns lays out, kept in the arena after its TextExtra: columns of one
// width side by side, a gutter apart, their tops level; a column takes lines until its height
// is full or a column break ("\N") comes, then the next one goes on.
struct TextColumns {
    static constexpr std::size_t kMostHeights = 32; // heights past these are as tall as needed
    std::uint16_t count = 0;       // the columns the drawing states; 0: as many as the text needs
    std::uint16_t heightCount = 0; // columns with a height of their own (heights), the rest height
    float width = 0;               // each column's width
    float gutter = 0;              // the space between two columns
    float height = 0;              // each column's height; 0: as tall as its text
    float heights[kMostHeights] = {};

    // Returns the height of column k (0: as tall as its text).
    double heightOf(std::size_t k) const noexcept {
        return k < heightCount ? heights[k] : heightCount ? 0.0 : height;
    }
    // Returns the width of count columns and the gutters between them.
    double totalWidth(std::size_t columns) const noexcept {
        const double n = static_cast<double>(columns);
        return columns ? n * width + (n - 1) * gutter : 0.0;
    }
};

// One TEXT, MTEXT or attribute, 32 bytes.
struct TextRecord {
    double x = 0; // where the text stands: its insertion point, or its alignment point
    double y = 0;
    float height = 0;
    std::uint16_t angle = 0;      // rotation, in 1/65536 of a turn, counterclockwise
    std::uint16_t widthMilli = 0; // width factor in thousandths
    std::uint64_t packed = 0;     // offset (40 bits), length (16 bits), flags (8 bits)

    static constexpr unsigned kLengthShift = 40;
    static constexpr unsigned kFlagShift = 56;
    static constexpr std::uint8_t kMText = 0x80;
    // The text's TextExtra stands at its offset and its bytes follow; the 16-bit length then
    // holds the length only up to 0xFFFF.
    static constexpr std::uint8_t kExtra = 0x40;

    std::uint64_t offset() const noexcept { return packed & ((std::uint64_t{1} << 40) - 1); }
    std::size_t length() const noexcept { return (packed >> kLengthShift) & 0xFFFF; }
    std::uint8_t flags() const noexcept { return static_cast<std::uint8_t>(packed >> kFlagShift); }
    bool isMText() const noexcept { return flags() & kMText; }
    bool hasExtra() const noexcept { return flags() & kExtra; }
    HAlign halign() const noexcept { return static_cast<HAlign>(flags() & 7); }
    VAlign valign() const noexcept { return static_cast<VAlign>((flags() >> 3) & 3); }
    double rotationDegrees() const noexcept { return angle * (360.0 / 65536.0); }
    double widthFactor() const noexcept { return widthMilli / 1000.0; }
};
static_assert(sizeof(TextRecord) == 32);

struct LineRecord {
    Point a, b;
    Look look;
};

// A circle is an arc from 0 to 360 degrees, counterclockwise in the world's plan.
struct ArcRecord {
    Point center;
    double radius = 0;
    float startDegrees = 0;
    float endDegrees = 360;
    Look look;
};

// A run of vertices in the drawing's vertex array: polylines (bulges already made arcs),
// ellipses, splines, leaders, the outlines of solids, faces and hatches.
struct PolylineRecord {
    std::uint64_t first = 0;
    std::uint32_t count = 0;
    bool closed = false; // the last vertex joins the first (also flag kClosed)
    Look look;           // look.spare holds the flags below

    static constexpr std::uint16_t kClosed = 1;
    static constexpr std::uint16_t kFilled = 2;    // a solid fill (SOLID, TRACE, solid HATCH)
    static constexpr std::uint16_t kLightFill = 4; // a pattern hatch: a light fill suffices
    static constexpr std::uint16_t kPoint = 8;     // a POINT: one vertex
    // XLINE (both ways) and RAY (one way): two vertices, the base and base + direction; the
    // painter clips them to the view. Indexed by their base point alone.
    static constexpr std::uint16_t kXLine = 16;
    static constexpr std::uint16_t kRay = 32;
    // Filled polygons of one hatch follow each other; this one is a hole or island of the
    // one before (filled even-odd with it).
    static constexpr std::uint16_t kContinues = 64;

    std::uint16_t flags() const noexcept { return look.spare; }
};

// A block reference (INSERT, DIMENSION, ACAD_TABLE), 72 bytes. The block is drawn at
// (x, y) + column * columnSpacing and row * rowSpacing along the rotated axes, scaled, with
// its base point at the insertion point; mirrored in plan for a negative extrusion already
// (xScale negated, rotation mirrored).
struct InsertRecord {
    double x = 0, y = 0;
    double xScale = 1, yScale = 1;
    double rotationDegrees = 0;
    float columnSpacing = 0, rowSpacing = 0;
    std::uint16_t columns = 1, rows = 1;
    std::uint32_t block = kNoBlock; // number in Entities::blocks, resolved after reading
    std::uint64_t name = 0;         // offset (40 bits) and length (16) of the name in textBytes
    Look look;
    static constexpr std::uint32_t kNoBlock = 0xFFFFFFFF;
};

struct Layer {
    std::string name;
    Colour colour = Colour::index(7);
    bool off = false;     // a negative colour
    bool frozen = false;  // 70 bit 1
    bool defined = false; // named in the layer table, not only by an entity
    bool hidden() const noexcept { return off || frozen; }
};

// Returns whether a and b name the same table entry (a layer, a style), as CAD compares
// names: letters A to Z in either case.
bool sameName(std::string_view a, std::string_view b) noexcept;

struct Entities;

// A block's attribute definition (ATTDEF), kept for the multileaders that fill it in: its text
// as a TEXT of its own would stand in the block, without bytes.
struct AttributeDefinition {
    std::uint64_t handle = 0; // 5
    TextRecord record;        // offset and length unused
    TextExtra extra;          // length unused
};

// A block definition: its base point and entities, kept once however often inserted.
struct Block {
    std::string name;
    Point base;
    std::unique_ptr<Entities> entities;
    std::uint64_t recordHandle = 0; // its BLOCK's 330: the block record a multileader names
    std::vector<AttributeDefinition> attributes;
};

// A DIMENSION as its pairs define it, kept until every block is known: one whose block is
// missing (or never named) is drawn from these points (Dimension.h).
struct DimensionDefinition {
    Look look;
    std::uint32_t insert = kNone; // its block reference among the owner's inserts
    std::uint8_t type = 0;        // 70's low bits: 0 rotated .. 6 ordinate
    bool xOrdinate = false;       // 70 bit 64
    bool haveTextAt = false;      // an 11 came
    bool haveTextRotation = false;
    bool haveInsertionPoint = false;
    Point defining;          // 10
    Point textAt;            // 11 (its OCS: the world's in plan)
    Point insertionPoint;    // 12: where the block of a copied dimension stands
    Point first, second;     // 13, 14
    Point third, arcAt;      // 15, 16
    double angle = 0;        // 50: a rotated dimension's line, degrees
    double textRotation = 0; // 53, degrees
    std::string text;        // 1: "" or "<>" the measurement, " " none
    std::string style;       // 3
    // The dimension's own settings over its style's (extended data ACAD DSTYLE): a style
    // group code and its value.
    struct Override {
        int code = 0;
        double real = 0;
        std::string text;
    };
    std::vector<Override> overrides;
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
};

// A multileader's block content, kept until every block is known: its insert (among the
// owner's) refers to its block by the block record's handle, and each attribute's value
// becomes a text where the block's definition of it stands.
struct MultiLeaderContent {
    std::uint32_t insert = 0;
    std::uint64_t blockHandle = 0;
    std::vector<std::pair<std::uint64_t, std::string>> attributes; // ATTDEF handle, value
};

// A text of an insert's attributes whose own layer is not the insert's: hidden when either is.
struct AttributeOwner {
    std::uint32_t text = 0;
    std::uint16_t layer = 0; // the insert's
};

// The entities one reader (or one piece of a file) produced.
struct Entities {
    ChunkedArray<TextRecord> texts;
    // For each text, what its width estimate needs of its bytes: the count of bytes of 0x80
    // and above, or kWidthFromBytes where the bytes must be read again (an MTEXT, an escape).
    // The index and every paint estimate each text's width; this spares them its bytes.
    ChunkedArray<std::uint16_t> textHighs;
    static constexpr std::uint16_t kWidthFromBytes = 0xFFFF;
    ChunkedArray<LineRecord> lines;
    ChunkedArray<ArcRecord> arcs;
    ChunkedArray<PolylineRecord> polylines;
    ChunkedArray<InsertRecord, 8> inserts;
    ChunkedArray<Point> vertices;
    ByteArena textBytes;
    // The layers records name by number (the top-level entities' table serves their blocks
    // too), and the blocks.
    std::vector<Layer> layers;
    std::vector<Block> blocks;
    // Entities that are not drawn, by kind, and those left out for a coordinate that is not
    // a finite number of sensible size.
    std::map<std::string, std::int64_t, std::less<>> notDrawn;
    std::int64_t skipped = 0;
    // Whether a text kept here holds bytes of 0x80 and above that are well-formed UTF-8, and
    // one whose are not: what the code-page guess of a drawing that declares none goes by,
    // noted as each text is kept so that nothing walks the texts again for it.
    bool highUtf8 = false;
    bool highOther = false;

    // Notes what the bytes of a text just kept say for the code-page guess.
    void noteTextBytes(std::string_view bytes) noexcept;
    // Returns what textHighs holds for a text of length bytes, highs of them 0x80 and above,
    // that holds a backslash (escape) or not.
    static std::uint16_t highsFor(std::size_t length, std::size_t highs, bool escape) noexcept {
        return escape || length >= kWidthFromBytes ? kWidthFromBytes
                                                   : static_cast<std::uint16_t>(highs);
    }
    // Returns what textHighs holds for a text of bytes.
    static std::uint16_t highsOf(std::string_view bytes, bool mtext) noexcept;
    // The box of every text's anchor (x, y), kept as texts are kept: the index's grid needs
    // it before it reads the texts.
    Box textAnchors;

    // Keeps text t with highs as its textHighs, and its anchor in textAnchors; texts are kept
    // only so. Throws std::bad_alloc.
    void keepText(const TextRecord& t, std::uint16_t highs) {
        texts.push_back(t);
        textHighs.push_back(highs);
        textAnchors.add(t.x, t.y);
    }

    // Returns the number of records kept, vertices included.
    std::uint64_t records() const noexcept {
        return texts.size() + lines.size() + arcs.size() + polylines.size() + inserts.size() +
               vertices.size();
    }
    // Returns the bytes the arrays take.
    std::size_t memoryBytes() const noexcept;
    // Returns the bytes of text i.
    std::string_view bytesOf(std::size_t i) const noexcept {
        const TextRecord& t = texts[i];
        if (!t.hasExtra())
            return textBytes.view(t.offset(), t.length());
        const TextExtra e = textExtra(i);
        return textBytes.view(
            t.offset() + sizeof(TextExtra) + (e.columns ? sizeof(TextColumns) : 0), e.length);
    }
    // Returns what text i has beyond its record (defaults when it has nothing more).
    TextExtra textExtra(std::size_t i) const noexcept;
    // Returns the columns of text i (count 0 and no width for a text not in columns).
    TextColumns textColumns(std::size_t i) const noexcept;
    // Returns the look of text i.
    Look textLook(std::size_t i) const noexcept { return textExtra(i).look; }
    // Returns the name insert i refers to.
    std::string_view insertName(std::size_t i) const noexcept {
        const std::uint64_t n = inserts[i].name;
        return textBytes.view(n & ((std::uint64_t{1} << 40) - 1), (n >> 40) & 0xFFFF);
    }
    // Returns the number of layer name, adding it when new.
    std::uint16_t layerNumber(std::string_view name);
    // Counts one more entity of kind that is not drawn.
    void countNotDrawn(std::string_view kind);

    // Moves everything of other to the end of this.
    void append(Entities&& other);

    // Takes whole blocks for the arrays a large drawing fills most (texts, lines, vertices)
    // rather than growing them from small. Throws std::bad_alloc.
    void expectLarge() {
        texts.startWhole();
        textHighs.startWhole();
        lines.startWhole();
        vertices.startWhole();
    }

    // What waits for every block and layer to be known (Drawing::buildIndex places it).
    std::vector<DimensionDefinition> dimensions;
    std::vector<MultiLeaderContent> leaderContents;
    std::vector<AttributeOwner> attributeOwners;

  private:
    std::size_t lastLayer_ = 0;
};

} // namespace quillet::drawing
