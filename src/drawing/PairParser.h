// The state machine that turns a drawing's group code and value lines into entity records:
// sections, the header's code page, and the entities this program draws. It is fed runs of
// whole lines, so one reader can feed it a file block by block, and several can each parse
// a piece of the entities section that starts at an entity.
#pragma once

#include "Entities.h"

#include "Shapes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::drawing {

// What the HEADER section declares.
struct HeaderInfo {
    std::string acadVersion; // $ACADVER, e.g. "AC1009"
    std::string codePage;    // $DWGCODEPAGE, e.g. "ANSI_932"
};

class PairParser {
  public:
    enum class Section : std::uint8_t { None, Header, Entities, Tables, Blocks, Other };

    // The bytes a run must have readable after its end (the line search reads ahead).
    static constexpr std::size_t kReadAhead = 64;

    // Parses into out, starting in section start (None for a whole file, Entities for a
    // piece that starts at an entity); firstLine is the file's line number of the first line.
    PairParser(Entities& out, Section start = Section::None, std::int64_t firstLine = 1);

    // Parses the whole lines in [begin, end): end is just after a line feed, and kReadAhead
    // bytes after end may be read. Throws DrawingError for a group code that is not one and
    // std::bad_alloc. Stops taking lines once the EOF marker is read.
    void parse(const char* begin, const char* end);

    // Finishes the entity being read as the next entity would, when the next line is a
    // group code 0 of an entity other than VERTEX or SEQEND; for the end of a piece. Does
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

    // Takes one pair whose value is already text (from a binary drawing). Throws as parse().
    void feedPair(int code, std::string_view value) {
        if (sawEof_)
            return;
        haveCode_ = false;
        onValue(code, value);
    }

    // Tells whether the parser stands between two entities of the entities section, with no
    // value awaited: the state a piece starting at an entity assumes.
    bool atEntityStart() const noexcept {
        return section_ == Section::Entities && !haveCode_ && kind_ == Kind::None && !polylineOpen_;
    }
    bool sawEnd() const noexcept { return sawEof_; }
    // The file's line number of the next line.
    std::int64_t nextLine() const noexcept { return line_; }
    const HeaderInfo& header() const noexcept { return header_; }

  private:
    enum class Kind : std::uint8_t {
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
        SectionStart
    };

    // Reads a TEXT entity written in exactly this program's own layout, from its "  0" line
    // up to its text, at p: leaves the parser as the line-by-line way would and returns the
    // next line's start, or returns null (and changes nothing) when the lines are otherwise.
    const char* ownText(const char* p, const char* end);

    void onValue(int code, std::string_view value);
    void startEntity(std::string_view name);
    void entityValue(int code, std::string_view value);
    void headerValue(int code, std::string_view value);
    double real(std::string_view value);
    int integer(std::string_view value);
    void finishEntity();
    void closePolyline();
    void finishText(Kind kind);
    void finishVertexOwner();
    void finishInsert(Kind kind);
    void finishHatch();
    void finishMLeader();
    void finishLayer();
    // Keeps points (in the entity's OCS when ocs is given) as one polyline of flags.
    void keepPolyline(const std::vector<Point>& points, std::uint16_t flags, const Ocs* ocs);
    Look look() const noexcept { return {colour_, layer_, 0}; }
    Ocs ocs() const noexcept { return Ocs(nx_, ny_, nz_); }
    void rawPair(int code, std::string_view value);

    Entities& out_; // the top level: layers, blocks and the entities section
    Entities* cur_; // where entities go: out_ or the block being read
    Section section_;
    std::int64_t line_;
    int code_ = 0;
    bool haveCode_ = false;
    bool sawEof_ = false;
    Kind kind_ = Kind::None;
    std::string headerVariable_;
    HeaderInfo header_;

    // The entity being read.
    bool bad_ = false; // a value that is no finite number of sensible size
    double x_ = 0, y_ = 0, x2_ = 0, y2_ = 0, height_ = 0, rotation_ = 0, widthFactor_ = 1;
    double start_ = 0, end_ = 360;
    double x3_ = 0, y3_ = 0, x4_ = 0, y4_ = 0, r41_ = 0, r42_ = 0, r44_ = 0, r45_ = 0;
    double nx_ = 0, ny_ = 0, nz_ = 1;
    bool haveSecond_ = false, haveThird_ = false, haveFourth_ = false, have41_ = false;
    bool have42_ = false, haveName_ = false;
    bool embedded_ = false; // past "101 Embedded Object": the rest is not this entity's
    bool paper_ = false;
    bool haveTrueColour_ = false;
    int flags_ = 0, halign_ = 0, valign_ = 0, attachment_ = 1, i71_ = 0, i74_ = 0;
    int degree_ = 3;
    Colour colour_;
    std::uint16_t layer_ = 0;
    bool haveText_ = false;
    double oblique_ = 0;
    std::uint64_t name_ = 0; // an insert's block name: offset and length in cur_->textBytes
    std::string nameText_;   // a block's or layer's name
    // Repeated points and numbers of one entity.
    std::vector<Point> points_, fit_;
    std::vector<double> bulges_, knots_, weights_;
    // The pairs of a hatch or multileader, read as a whole at its end.
    std::vector<int> rawCodes_;
    std::vector<std::uint32_t> rawEnds_;
    std::string rawValues_;
    Ocs polylineOcs_;
    bool polylineWorld_ = false; // a 3D polyline's vertices are world points
    Look polylineLook_;
    bool inBlock_ = false;
    Block pendingBlock_;
    // The polyline whose vertices are being read (POLYLINE ... SEQEND, or an LWPOLYLINE).
    bool polylineOpen_ = false;
    bool polylineBad_ = false;
    bool polylineClosed_ = false;
    bool meshOpen_ = false; // the open polyline is a mesh: its vertices are dropped
};

} // namespace quillet::drawing
