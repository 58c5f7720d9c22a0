// The state machine that turns a drawing's group code and value lines into entity records:
// sections, the header's code page, and the entities this program draws. It is fed runs of
// whole lines, so one reader can feed it a file block by block, and several can each parse
// a piece of the entities section that starts at an entity.
#pragma once

#include "Entities.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet::drawing {

// What the HEADER section declares.
struct HeaderInfo {
    std::string acadVersion; // $ACADVER, e.g. "AC1009"
    std::string codePage;    // $DWGCODEPAGE, e.g. "ANSI_932"
};

class PairParser {
  public:
    enum class Section : std::uint8_t { None, Header, Entities, Other };

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

    // Checks the end of the file: throws DrawingError when the EOF marker never came.
    void finishFile();

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
        MText,
        Line,
        Circle,
        Arc,
        LwPolyline,
        Polyline,
        Vertex,
        SectionStart
    };

    void onValue(int code, std::string_view value);
    void startEntity(std::string_view name);
    void entityValue(int code, std::string_view value);
    void headerValue(int code, std::string_view value);
    double real(std::string_view value);
    int integer(std::string_view value);
    void finishEntity();
    void closePolyline();
    void finishText(bool mtext);
    void finishVertexOwner();

    Entities& out_;
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
    bool haveSecond_ = false;
    int flags_ = 0, halign_ = 0, valign_ = 0, attachment_ = 1;
    bool haveText_ = false;
    // The polyline whose vertices are being read (POLYLINE ... SEQEND, or an LWPOLYLINE).
    bool polylineOpen_ = false;
    bool polylineBad_ = false;
    bool polylineClosed_ = false;
    bool meshOpen_ = false; // the open polyline is a mesh: its vertices are dropped
    std::uint64_t polylineFirst_ = 0;
};

} // namespace quillet::drawing
