// The state machine that turns a drawing's group code and value lines into entity records:
// sections, the header's code page, the layer table, blocks, and the entities this program
// draws. It is fed runs of whole lines, so one reader can feed it a file block by block, and
// several can each parse a piece of the entities section that starts at an entity.
//
// Its parts: the line lexer (LineLexer.h) cuts the lines, the fast path (OwnText.h) reads our
// own texts whole, the entity being read collects its values (PendingEntity.h) and becomes
// records (EntityRecords.h); hatches and multileaders are buffered and built at their end
// (Hatch.h, MultiLeader.h).
#pragma once

#include "BufferedPairs.h"
#include "DimensionStyle.h"
#include "Entities.h"
#include "LineLexer.h"
#include "OwnText.h"
#include "PendingEntity.h"
#include "Shapes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::drawing {

// What the HEADER section declares, and the tables' dimension styles.
struct HeaderInfo {
    std::string acadVersion; // $ACADVER, e.g. "AC1009"
    std::string codePage;    // $DWGCODEPAGE, e.g. "ANSI_932"
    DimensionSettings dimensions;
};

class PairParser {
  public:
    enum class Section : std::uint8_t { None, Header, Entities, Tables, Blocks, Other };

    // Parses into out, starting in section start (None for a whole file, Entities for a
    // piece that starts at an entity); firstLine is the file's line number of the first line.
    PairParser(Entities& out, Section start = Section::None, std::int64_t firstLine = 1);

    // Parses the whole lines in [begin, end): end is just after a line feed, and kReadAhead
    // bytes after end may be read. Throws DrawingError for a group code that is not one and
    // std::bad_alloc. Stops taking lines once the EOF marker is read.
    void parse(const char* begin, const char* end);

    // Finishes the entity being read as the next entity would, when the next line is a
    // group code 0 of an entity other than VERTEX, SEQEND or ATTRIB; for the end of a piece. Does
    // nothing when a value is awaited (the piece did not end where it seemed to).
    void finishBeforeEntity() {
        if (!haveCode_) {
            finishEntity();
            closePolyline();
        }
    }

    // Adds lines to every line number from now on (for a piece parsed without knowing where
    // in the file it starts).
    void shiftLines(std::int64_t lines) noexcept { line_ += lines; }
    Section section() const noexcept { return section_; }

    // Ends the file: finishes what was being read. Returns false when the EOF marker never
    // came (the drawing was cut short).
    bool finishFile();

    // Takes one pair whose value is already text (from a binary drawing, or lines read
    // elsewhere). Throws as parse().
    void feedPair(int code, std::string_view value) {
        if (sawEof_)
            return;
        haveCode_ = false;
        onValue(code, value);
    }

    // Tells whether the parser stands between two entities of the entities section, with no
    // value awaited: the state a piece starting at an entity assumes.
    bool atEntityStart() const noexcept {
        return section_ == Section::Entities && !haveCode_ && kind_ == EntityKind::None &&
               !polyline_.open && !held_.held;
    }
    bool sawEnd() const noexcept { return sawEof_; }
    // The file's line number of the next line.
    std::int64_t nextLine() const noexcept { return line_; }
    const HeaderInfo& header() const noexcept { return header_; }

  private:
    // A POLYLINE whose VERTEX entities are being read, up to its SEQEND.
    struct OpenPolyline {
        bool open = false;
        bool bad = false;    // a vertex with a bad number: the polyline is skipped
        bool mesh = false;   // a mesh or polyface mesh: its vertices are read and dropped
        bool closed = false; // 70 bit 1
        bool world = false;  // a 3D polyline: its vertices are world points
        Ocs ocs;
        Look look;
        std::vector<Point> points;
        std::vector<double> bulges;
    };

    // A LAYER entry of the layer table.
    struct PendingLayer {
        std::string name;
        int colour = 7;                // 62: its ACI number, negative for a layer that is off
        bool off = false;              // a negative 62 came
        int flags = 0;                 // 70: bit 1 frozen
        std::optional<int> trueColour; // 420: 0xRRGGBB
    };

    // An MTEXT whose further columns are MTEXTs of their own (R2000 to R2013), held until
    // they have come: their texts join its own, each after a column break, and it is kept
    // with its columns as one text, as CAD shows and lists it.
    struct HeldColumns {
        bool held = false;
        std::size_t joined = 0; // further columns joined so far
        PendingEntity entity;
        PendingColumns columns;
    };
    // Whether the MTEXT being read is a further column of the held one: not known until its
    // handle (its first pair) has come.
    enum class Link : std::uint8_t { None, Undecided, Joined };

    // Keeps one of our own texts read whole, as the line-by-line way would.
    void keepOwnText(const OwnText& text);

    void onValue(int code, std::string_view value);
    void startEntity(std::string_view name);
    void startTableEntry(std::string_view name);
    bool startBlockPart(std::string_view name);
    void startDrawnEntity(std::string_view name);
    void headerValue(int code, std::string_view value);
    void entityValue(int code, std::string_view value);
    void layerValue(int code, std::string_view value);
    void blockValue(int code, std::string_view value);
    bool commonValue(int code, std::string_view value);
    void pointValue(int code, std::string_view value);
    void textValue(int code, std::string_view value);
    void decideLink(int code, std::string_view value);
    void shapeValue(int code, std::string_view value);
    void insertValue(int code, std::string_view value);
    void listValue(int code, std::string_view value);
    void frameValue(int code, std::string_view value);
    void boundaryValue(int code, std::string_view value);
    double real(std::string_view value);

    void finishEntity();
    void finishLayer();
    void finishBlockStart();
    void openPolyline();
    void addVertex();
    void closePolyline();
    void closeBlock();
    void finishHatch();
    void finishMLeader();
    void finishDimension();
    void finishHeader();
    void finishAttribute();
    void dimensionStyleValue(int code, std::string_view value);
    void finishMText();
    void joinColumn();
    void releaseHeld();

    Entities& out_; // the top level: layers, blocks and the entities section
    Entities* cur_; // where entities go: out_ or the block being read
    Section section_;
    std::int64_t line_;
    int code_ = 0;
    bool haveCode_ = false;
    bool sawEof_ = false;
    EntityKind kind_ = EntityKind::None;
    std::string headerVariable_;
    HeaderInfo header_;

    OwnTextReader ownTexts_; // our own texts, read whole
    PendingEntity entity_;   // the entity being read
    PendingLists lists_;     // its repeated values
    PendingColumns columns_; // an MTEXT's columns
    HeldColumns held_;
    Link link_ = Link::None;
    std::size_t linkMark_ = 0;  // where a joined column's bytes start in the held text
    bool boundaryFull_ = false; // a clipping boundary has all the points it keeps
    BufferedPairs buffered_;    // the pairs of a hatch or multileader, read as a whole at its end
    PendingLayer layer_;
    std::string blockName_; // a BLOCK's name and base point, until its first entity
    Point blockBase_;
    bool inBlock_ = false;
    Block pendingBlock_;
    OpenPolyline polyline_;
    std::uint64_t blockRecord_ = 0; // the BLOCK's 330
    // An ATTDEF inside a block is kept as the block's attribute definition, by its handle.
    bool definingAttribute_ = false;
    std::uint64_t attributeHandle_ = 0;
    // The look of the INSERT whose attributes may follow, while they may.
    bool attributesFollow_ = false;
    Look attributeOwner_;
    // The header's dimension variables as they come: their defaults hang on $MEASUREMENT,
    // which comes after them.
    std::vector<std::pair<std::string, std::string>> dimensionVariables_;
};

} // namespace quillet::drawing
