// The drawn entities of a drawing in compact arrays: one record per entity, no object of its
// own, the texts' bytes in one arena.
#pragma once

#include "ByteArena.h"
#include "ChunkedArray.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace quillet::drawing {

struct Point {
    double x = 0;
    double y = 0;
};

// Where a text's anchor lies on it, across and up.
enum class HAlign : std::uint8_t { Left, Center, Right, Aligned, Middle, Fit };
enum class VAlign : std::uint8_t { Baseline, Bottom, Middle, Top };

// One TEXT or MTEXT, 32 bytes.
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

    std::uint64_t offset() const noexcept { return packed & ((std::uint64_t{1} << 40) - 1); }
    std::size_t length() const noexcept { return (packed >> kLengthShift) & 0xFFFF; }
    std::uint8_t flags() const noexcept { return static_cast<std::uint8_t>(packed >> kFlagShift); }
    bool isMText() const noexcept { return flags() & kMText; }
    HAlign halign() const noexcept { return static_cast<HAlign>(flags() & 7); }
    VAlign valign() const noexcept { return static_cast<VAlign>((flags() >> 3) & 3); }
    double rotationDegrees() const noexcept { return angle * (360.0 / 65536.0); }
    double widthFactor() const noexcept { return widthMilli / 1000.0; }
};
static_assert(sizeof(TextRecord) == 32);

struct LineRecord {
    Point a, b;
};

// A circle is an arc from 0 to 360 degrees.
struct ArcRecord {
    Point center;
    double radius = 0;
    float startDegrees = 0;
    float endDegrees = 360;
};

// A run of vertices in the drawing's vertex array.
struct PolylineRecord {
    std::uint64_t first = 0;
    std::uint32_t count = 0;
    bool closed = false;
};

// The entities one reader (or one piece of a file) produced.
struct Entities {
    ChunkedArray<TextRecord> texts;
    ChunkedArray<LineRecord> lines;
    ChunkedArray<ArcRecord> arcs;
    ChunkedArray<PolylineRecord> polylines;
    ChunkedArray<Point> vertices;
    ByteArena textBytes;
    // Entities that are not drawn, by kind, and those left out for a coordinate that is not
    // a finite number of sensible size.
    std::map<std::string, std::int64_t, std::less<>> notDrawn;
    std::int64_t skipped = 0;

    // Returns the number of records kept, vertices included.
    std::uint64_t records() const noexcept {
        return texts.size() + lines.size() + arcs.size() + polylines.size() + vertices.size();
    }
    // Returns the bytes the arrays take.
    std::size_t memoryBytes() const noexcept {
        return texts.memoryBytes() + lines.memoryBytes() + arcs.memoryBytes() +
               polylines.memoryBytes() + vertices.memoryBytes() + textBytes.memoryBytes();
    }
    // Returns the bytes of text i.
    std::string_view bytesOf(std::size_t i) const noexcept {
        const TextRecord& t = texts[i];
        return textBytes.view(t.offset(), t.length());
    }
    // Counts one more entity of kind that is not drawn.
    void countNotDrawn(std::string_view kind);

    // Moves everything of other to the end of this.
    void append(Entities&& other);
};

} // namespace quillet::drawing
