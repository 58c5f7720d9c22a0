#pragma once

#include "DrawingOptions.h"
#include "Extents.h"
#include "layout/TextLayout.h"
#include "platform/BlockSink.h"
#include "platform/PaddedNumber.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace quillet::conversion {

// The first five lines of every TEXT entity, up to its X.
inline constexpr std::string_view kEntityStart = layout::kTextStart;

// The opening of the declared drawing: a HEADER naming the code page and the extents, the one
// text style, and the start of the ENTITIES section. The style is KST32B because LibreCAD takes a
// style's name for one of its own fonts and its kst32b has kanji; AutoCAD shows Japanese in an SHX
// style only with a big font such as extfont2.shx.
inline constexpr std::string_view kDeclaredOpening =
    "  0\r\nSECTION\r\n  2\r\nHEADER\r\n"
    "  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n"
    "  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_932\r\n"
    "  9\r\n$EXTMIN\r\n 10\r\n-1073741824 \r\n 20\r\n-2147516416 \r\n 30\r\n0.0\r\n"
    "  9\r\n$EXTMAX\r\n 10\r\n 1073741823 \r\n 20\r\n 2147516415 \r\n 30\r\n0.0\r\n"
    "  0\r\nENDSEC\r\n"
    "  0\r\nSECTION\r\n  2\r\nTABLES\r\n"
    "  0\r\nTABLE\r\n  2\r\nSTYLE\r\n 70\r\n 1 \r\n"
    "  0\r\nSTYLE\r\n  2\r\nKST32B\r\n 70\r\n 0 \r\n 40\r\n0.0\r\n 41\r\n1.0\r\n"
    " 50\r\n0.0\r\n 71\r\n 0 \r\n 42\r\n2.5\r\n  3\r\ntxt\r\n  4\r\nextfont2.shx\r\n"
    "  0\r\nENDTAB\r\n"
    "  0\r\nENDSEC\r\n"
    "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";

// Where the extents' lines lie in the declared drawing, and how long they are: written there
// as the widest extents (Extents::headerLines(true)), and over them, once every text is
// placed, as the texts' own where the output can be written over.
inline constexpr std::size_t kExtentsOffset = kDeclaredOpening.find("  9\r\n$EXTMIN");
inline constexpr std::size_t kExtentsSize = kDeclaredOpening.find("  0\r\nENDSEC") - kExtentsOffset;

// What follows the text of a declared drawing's entity: the style it is drawn in.
inline constexpr std::string_view kDeclaredEntityEnd = layout::kStyleLines;

} // namespace quillet::conversion

namespace quillet::conversion {

// Writes the lines of the drawing, each followed by CR LF, into large blocks of a sink. One
// writer for both drawings: they differ in their opening and in the style line of each text.
class DxfWriter {
  public:
    // Starts writing the given drawing into sink; throws what the sink throws.
    explicit DxfWriter(platform::BlockSink& sink, DrawingKind drawing = DrawingKind::Classic)
        : sink_(sink), declared_(drawing == DrawingKind::Declared) {
        take(sink_.exchange({}));
    }

    // Writes the opening lines of the drawing: the four of the classic drawing, or the
    // header, style table and section start of the declared one.
    void PutDxfHeader() {
        put(declared_ ? kDeclaredOpening : "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n");
    }

    // Writes the four closing lines of the drawing.
    void PutDxfTrailer() { put("  0\r\nENDSEC\r\n  0\r\nEOF\r\n"); }

    // Writes a group code line or a text value line: text unchanged.
    void PutDxfLine(std::string_view text) {
        put(text);
        put("\r\n");
    }

    // Writes a number value line in the padded number form (" 100 ", "-200 ", " 0 ").
    void PutDxfNumber(std::int32_t value) {
        if (room() < platform::kPaddedNumberMax + 2)
            flush();
        pos_ = platform::formatPadded(value, pos_);
        *pos_++ = '\r';
        *pos_++ = '\n';
    }

    // Writes bytes as they are; the caller gives whole lines.
    void put(std::string_view bytes) {
        if (room() >= bytes.size()) {
            std::memcpy(pos_, bytes.data(), bytes.size());
            pos_ += bytes.size();
        } else {
            putInPieces(bytes);
        }
    }

    // Writes the fourteen lines of one TEXT entity at x, y with the given height, and in the
    // declared drawing the two that name its style (layout/TextLayout.h).
    void putTextEntity(std::int32_t x, std::int32_t y, std::int32_t height, std::string_view text);

    // Hands every byte written so far to the sink; throws what the sink throws.
    void flush() { take(sink_.exchange({block_.data(), used()})); }

    // Hands every byte to the sink and, in the declared drawing, writes the extents of the
    // texts placed over the widest ones in its HEADER where the sink can be written over (a
    // pipe cannot: the widest stay). Throws what the sink throws.
    void finish();

  private:
    std::size_t used() const { return static_cast<std::size_t>(pos_ - block_.data()); }
    void take(std::span<char> block) {
        block_ = block;
        pos_ = block_.data();
    }
    std::size_t room() const {
        return static_cast<std::size_t>(block_.data() + block_.size() - pos_);
    }
    // Fills the block, passes it on and goes on in the next, as often as bytes need.
    void putInPieces(std::string_view bytes);

    // The lines of an entity before its Y and after it, kept formatted while X and the
    // height stay the same: in a long column only Y and the text change.
    struct Lines {
        char bytes[64]{};
        std::size_t size = 0;
        std::int32_t value = 0;
        bool valid = false;

        bool holds(std::int32_t number) const { return valid && value == number; }
        // Formats before, number in the padded form and its line's end, and after.
        void keep(std::string_view before, std::int32_t number, std::string_view after);
    };

    platform::BlockSink& sink_;
    bool declared_;
    Extents extents_;
    Lines head_;   // entity start to the " 20" line, X included
    Lines middle_; // the " 30" line to the "  1" line, height included
    std::span<char> block_;
    char* pos_ = nullptr;
};

} // namespace quillet::conversion
