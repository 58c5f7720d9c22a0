// The pair state machine. The loop over lines is the reader's hot path: a drawing of ten
// million texts has a hundred and forty million lines, so line ends are found sixteen bytes
// at a time and only the values of the entities drawn are converted.
#include "PairParser.h"

#include "DrawingError.h"
#include "Numbers.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::drawing {

namespace {

// Coordinates and sizes beyond this are treated as no number: their squares and sums would
// overflow, and no real drawing has them.
constexpr double kMaxMagnitude = 1e15;
// Group codes a DXF file can hold (negative ones are application codes).
constexpr int kMinCode = -5;
constexpr int kMaxCode = 1071;

// Finds the line feeds of a run in order, 64 bytes at a time.
class LineFeeds {
  public:
    LineFeeds(const char* begin, const char* end) : base_(begin), end_(end) { load(); }

    // Goes on from p (a line's start at or after the last line feed returned).
    void skipTo(const char* p) noexcept {
        const std::ptrdiff_t into = p - base_;
        if (into >= 64) {
            base_ += into & ~std::ptrdiff_t{63};
            if (base_ >= end_) {
                mask_ = 0;
                return;
            }
            load();
        }
        const std::ptrdiff_t bit = p - base_;
        mask_ &= bit >= 64 ? 0 : ~((std::uint64_t{1} << bit) - 1);
    }

    // Returns the next line feed, or end when there is none.
    const char* next() noexcept {
        while (mask_ == 0) {
            base_ += 64;
            if (base_ >= end_)
                return end_;
            load();
        }
        const char* at = base_ + __builtin_ctzll(mask_);
        mask_ &= mask_ - 1;
        return at;
    }

  private:
    void load() noexcept {
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        std::uint64_t m = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base_ + 16 * k));
            m |= static_cast<std::uint64_t>(
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf))))
                 << (16 * k);
        }
#else
        std::uint64_t m = 0;
        for (int k = 0; k < 64; ++k)
            m |= static_cast<std::uint64_t>(base_[k] == '\n') << k;
#endif
        const std::ptrdiff_t left = end_ - base_;
        if (left < 64)
            m &= (std::uint64_t{1} << left) - 1;
        mask_ = m;
    }

    const char* base_;
    const char* end_;
    std::uint64_t mask_ = 0;
};

// Returns the group code of a line, or a value outside every code range when it holds none.
// The common forms ("  0", " 10", "100") take the first branch.
int groupCode(std::string_view line) noexcept {
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    int value = 0;
    std::size_t digits = 0;
    while (i < line.size() && digits < 6) {
        const unsigned d = static_cast<unsigned char>(line[i]) - unsigned{'0'};
        if (d > 9)
            break;
        value = value * 10 + static_cast<int>(d);
        ++i;
        ++digits;
    }
    if (digits > 0 && i == line.size())
        return value;
    const auto parsed = parseInteger(line);
    return parsed && *parsed >= kMinCode && *parsed <= kMaxCode ? *parsed : kMaxCode + 1;
}

std::string_view trimmed(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::uint16_t turnOf(double degrees) noexcept {
    if (degrees == 0)
        return 0;
    double turns = std::fmod(degrees / 360.0, 1.0);
    if (turns < 0)
        turns += 1.0;
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(std::lround(turns * 65536.0)) &
                                      0xFFFF);
}

} // namespace

PairParser::PairParser(Entities& out, Section start, std::int64_t firstLine)
    : out_(out), cur_(&out), section_(start), line_(firstLine) {
    out_.layerNumber("0"); // layer 0 is number 0 in every piece, as the fast path assumes
}

namespace {

// The lines this program writes at the start of every text, up to its X.
constexpr std::string_view kOwnTextStart = "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n";

bool startsWith(const char* p, const char* end, std::string_view lines) noexcept {
    return end - p >= static_cast<std::ptrdiff_t>(lines.size()) &&
           std::memcmp(p, lines.data(), lines.size()) == 0;
}

// Reads one CR LF line at p holding a short number; returns the next line's start or null.
// This program writes integers in a padded form (" 100 ", "-200 "), read here directly.
const char* numberLine(const char* p, const char* end, double& value) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        // Up to seven digits, found and summed eight bytes at a time.
        if (end - p >= 16) {
            constexpr std::uint64_t kOnes = 0x0101010101010101ull;
            const bool negative = *p == '-';
            const char* q = p + (negative || *p == ' ');
            std::uint64_t word;
            std::memcpy(&word, q, 8);
            const std::uint64_t x = word ^ (kOnes * '0'); // a digit's byte becomes its value
            const std::uint64_t other =
                (((x & (kOnes * 0x7F)) + kOnes * 0x76) | x) & (kOnes * 0x80); // 10 and above
            const int n = other ? std::countr_zero(other) / 8 : 8;
            if (n > 0 && n < 8 && q[n] == ' ' && q[n + 1] == '\r' && q[n + 2] == '\n') {
                std::uint64_t v = x << (8 * (8 - n)); // the first digit highest: zeros lead
                v = ((v & (kOnes * 0x0F)) * (1 + (10 << 8))) >> 8;
                v = ((v & 0x00FF00FF00FF00FFull) * (1 + (100 << 16))) >> 16;
                v = ((v & 0x0000FFFF0000FFFFull) * (1 + (10000ull << 32))) >> 32;
                const auto digits = static_cast<std::int64_t>(v);
                value = static_cast<double>(negative ? -digits : digits);
                return q + n + 3;
            }
        }
    }
    const char* q = p;
    const char* limit = std::min(end, p + 16);
    const bool negative = q < limit && *q == '-';
    if (q < limit && (*q == ' ' || *q == '-'))
        ++q;
    std::int64_t digits = 0;
    const char* first = q;
    for (unsigned d; q < limit && (d = static_cast<unsigned char>(*q) - unsigned{'0'}) <= 9; ++q)
        digits = digits * 10 + d;
    if (q > first && q + 3 <= end && q[0] == ' ' && q[1] == '\r' && q[2] == '\n') {
        value = static_cast<double>(negative ? -digits : digits);
        return q + 3;
    }
    const char* cr =
        static_cast<const char*>(std::memchr(p, '\r', std::min<std::ptrdiff_t>(end - p, 24)));
    if (!cr || cr + 1 >= end || cr[1] != '\n' ||
        !quickReal({p, static_cast<std::size_t>(cr - p)}, value))
        return nullptr;
    return cr + 2;
}

} // namespace

const char* PairParser::ownText(const char* p, const char* end) {
    double x, y, height;
    const char* q = p + kOwnTextStart.size();
    if (!(q = numberLine(q, end, x)) || !startsWith(q, end, " 20\r\n") ||
        !(q = numberLine(q + 5, end, y)) || !startsWith(q, end, " 30\r\n0\r\n 40\r\n") ||
        !(q = numberLine(q + 13, end, height)) || !startsWith(q, end, "  1\r\n"))
        return nullptr;
    const char* text = q + 5;
    const char* lf =
        static_cast<const char*>(std::memchr(text, '\n', static_cast<std::size_t>(end - text)));
    if (!lf || lf == text || lf[-1] != '\r')
        return nullptr;
    // One pass over the text (a few bytes, mostly) for a stray CR and for high bytes.
    const std::size_t length = static_cast<std::size_t>(lf - 1 - text);
    bool cr = false, escape = false;
    std::size_t high = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        cr |= c == '\r';
        escape |= c == '\\';
        high += c >= 0x80;
    }
    if (cr)
        return nullptr;
    if (std::fabs(x) > kMaxMagnitude || std::fabs(y) > kMaxMagnitude ||
        std::fabs(height) > kMaxMagnitude)
        return nullptr;
    std::int64_t lines = 14;
    const char* next = lf + 1;
    // A style line (ours names KST32B) changes nothing drawn.
    if (startsWith(next, end, "  7\r\n")) {
        const char* style = next + 5;
        const char* styleEnd = static_cast<const char*>(
            std::memchr(style, '\n', std::min<std::ptrdiff_t>(end - style, 64)));
        if (styleEnd && startsWith(styleEnd + 1, end, "  0\r\n")) {
            next = styleEnd + 1;
            lines += 2;
        }
    }
    // When the next entity follows, this one is complete: a plain text, kept at once.
    const bool complete = startsWith(next, end, "  0\r\n");
    if (complete && kind_ == Kind::None && !polylineOpen_) {
        // Nothing to finish before it and nothing of it read after: what startEntity would
        // set up is never looked at before the next entity sets it up again.
        out_.textBytes.begin();
    } else {
        // What the line-by-line way does with these lines.
        startEntity("TEXT");
        x_ = x;
        y_ = y;
        height_ = height;
        haveText_ = true;
    }
    line_ += lines;
    out_.textBytes.append({text, length});
    if (!complete)
        return next;
    kind_ = Kind::None;
    TextRecord t;
    t.x = x;
    t.y = y;
    t.height = static_cast<float>(std::fabs(height));
    t.widthMilli = 1000;
    t.packed =
        out_.textBytes.currentOffset() | static_cast<std::uint64_t>(out_.textBytes.currentLength())
                                             << TextRecord::kLengthShift;
    out_.keepText(t, Entities::highsFor(length, high, escape));
    if (high)
        out_.noteTextBytes(
            out_.textBytes.view(out_.textBytes.currentOffset(), out_.textBytes.currentLength()));
    return next;
}

void PairParser::parse(const char* begin, const char* end) {
    if (sawEof_)
        return;
    LineFeeds feeds(begin, end);
    bool skipped = false; // p has moved past lines feeds has not seen
    const char* p = begin;
    while (p < end) {
        // This program's own texts are most of the lines a preview reads: whole at once.
        if (!haveCode_ && section_ == Section::Entities && *p == ' ' &&
            startsWith(p, end, kOwnTextStart)) {
            if (const char* next = ownText(p, end)) {
                p = next;
                skipped = true;
                continue;
            }
        }
        // The line feeds are looked for again only when a line is read the slow way.
        if (skipped) {
            feeds.skipTo(p);
            skipped = false;
        }
        const char* lf = feeds.next();
        std::string_view line(p, static_cast<std::size_t>(lf - p));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        p = lf + 1;
        if (!haveCode_) {
            code_ = groupCode(line);
            if (code_ > kMaxCode)
                throw DrawingError("グループ コードであるべき行が整数ではありません。", line_);
            haveCode_ = true;
        } else {
            haveCode_ = false;
            onValue(code_, line);
            if (sawEof_)
                return;
        }
        ++line_;
    }
}

void PairParser::onValue(int code, std::string_view value) {
    if (code == 0) {
        startEntity(trimmed(value));
        return;
    }
    switch (kind_) {
    case Kind::None:
    case Kind::Ignored:
        if (section_ == Section::Header)
            headerValue(code, value);
        return;
    case Kind::SectionStart:
        if (code == 2) {
            const std::string_view name = trimmed(value);
            section_ = name == "ENTITIES" ? Section::Entities
                       : name == "HEADER" ? Section::Header
                       : name == "TABLES" ? Section::Tables
                       : name == "BLOCKS" ? Section::Blocks
                                          : Section::Other;
            kind_ = Kind::None;
        }
        return;
    default:
        entityValue(code, value);
    }
}

void PairParser::headerValue(int code, std::string_view value) {
    if (code == 9) {
        headerVariable_.assign(trimmed(value).substr(0, 32));
    } else if (headerVariable_ == "$ACADVER" && code == 1) {
        header_.acadVersion.assign(trimmed(value).substr(0, 32));
    } else if (headerVariable_ == "$DWGCODEPAGE" && code == 3) {
        header_.codePage.assign(trimmed(value).substr(0, 32));
    }
}

double PairParser::real(std::string_view value) {
    double quick = 0;
    if (quickReal(value, quick))
        return std::fabs(quick) > kMaxMagnitude ? (bad_ = true, 0.0) : quick;
    const auto parsed = parseReal(value);
    if (!parsed || std::fabs(*parsed) > kMaxMagnitude) {
        bad_ = true;
        return 0;
    }
    return *parsed;
}

int PairParser::integer(std::string_view value) {
    if (const auto parsed = parseInteger(value))
        return *parsed;
    // Some writers put a real where an integer belongs.
    const auto parsed = parseReal(value);
    return parsed && std::fabs(*parsed) < 1e9 ? static_cast<int>(*parsed) : 0;
}

void PairParser::startEntity(std::string_view name) {
    finishEntity();
    if (name == "SECTION") {
        kind_ = Kind::SectionStart;
        return;
    }
    if (name == "ENDSEC") {
        closePolyline();
        section_ = Section::None;
        return;
    }
    if (name == "EOF") {
        closePolyline();
        sawEof_ = true;
        section_ = Section::None;
        return;
    }
    if (section_ == Section::Tables) {
        kind_ = name == "LAYER" ? Kind::LayerEntry : Kind::Ignored;
        nameText_.clear();
        colour_ = Colour::index(7);
        flags_ = 0;
        haveTrueColour_ = false;
        return;
    }
    if (section_ == Section::Blocks) {
        if (name == "BLOCK") {
            closePolyline();
            kind_ = Kind::BlockStart;
            nameText_.clear();
            x_ = y_ = 0;
            return;
        }
        if (name == "ENDBLK") {
            closePolyline();
            kind_ = Kind::Ignored;
            if (inBlock_) {
                inBlock_ = false;
                out_.blocks.push_back(std::move(pendingBlock_));
                pendingBlock_ = Block{};
            }
            cur_ = &out_;
            return;
        }
        if (!inBlock_) {
            kind_ = Kind::Ignored;
            return;
        }
    } else if (section_ != Section::Entities) {
        kind_ = Kind::Ignored;
        return;
    }
    bad_ = false;
    x_ = y_ = x2_ = y2_ = x3_ = y3_ = x4_ = y4_ = height_ = rotation_ = start_ = 0;
    r41_ = r42_ = r44_ = r45_ = oblique_ = 0;
    nx_ = ny_ = 0;
    nz_ = 1;
    end_ = 360;
    widthFactor_ = 1;
    haveSecond_ = haveThird_ = haveFourth_ = have41_ = have42_ = haveName_ = haveText_ = false;
    embedded_ = paper_ = haveTrueColour_ = false;
    flags_ = halign_ = valign_ = i71_ = i74_ = 0;
    attachment_ = 1;
    degree_ = 3;
    colour_ = Colour{};
    layer_ = 0;
    const bool vertexOrEnd = name == "VERTEX" || name == "SEQEND";
    if (polylineOpen_ && !vertexOrEnd)
        closePolyline(); // a polyline without its SEQEND ends at the next entity
    if (name == "TEXT") {
        kind_ = Kind::Text;
        cur_->textBytes.begin();
    } else if (name == "MTEXT") {
        kind_ = Kind::MText;
        cur_->textBytes.begin();
    } else if (name == "ATTRIB" || (name == "ATTDEF" && !inBlock_)) {
        kind_ = Kind::Attrib;
        cur_->textBytes.begin();
    } else if (name == "LINE") {
        kind_ = Kind::Line;
    } else if (name == "POINT") {
        kind_ = Kind::Point;
    } else if (name == "CIRCLE") {
        kind_ = Kind::Circle;
    } else if (name == "ARC") {
        kind_ = Kind::Arc;
    } else if (name == "ELLIPSE") {
        kind_ = Kind::Ellipse;
    } else if (name == "LWPOLYLINE") {
        kind_ = Kind::LwPolyline;
        points_.clear();
        bulges_.clear();
    } else if (name == "POLYLINE") {
        kind_ = Kind::Polyline;
    } else if (name == "VERTEX" && polylineOpen_) {
        kind_ = Kind::Vertex;
    } else if (name == "SEQEND" && polylineOpen_) {
        closePolyline();
        kind_ = Kind::None;
    } else if (vertexOrEnd) {
        kind_ = Kind::Ignored; // the end of an insert's attributes, or a stray vertex
    } else if (name == "SOLID" || name == "TRACE") {
        kind_ = Kind::Solid;
    } else if (name == "3DFACE") {
        kind_ = Kind::Face;
    } else if (name == "SPLINE") {
        kind_ = Kind::Spline;
        points_.clear();
        fit_.clear();
        knots_.clear();
        weights_.clear();
    } else if (name == "LEADER") {
        kind_ = Kind::Leader;
        points_.clear();
    } else if (name == "INSERT") {
        kind_ = Kind::Insert;
    } else if (name == "DIMENSION") {
        kind_ = Kind::Dimension;
    } else if (name == "ACAD_TABLE") {
        kind_ = Kind::Table;
    } else if (name == "XLINE") {
        kind_ = Kind::XLine;
    } else if (name == "RAY") {
        kind_ = Kind::Ray;
    } else if (name == "HATCH" || name == "MULTILEADER" || name == "MLEADER") {
        kind_ = name == "HATCH" ? Kind::Hatch : Kind::MLeader;
        rawCodes_.clear();
        rawEnds_.clear();
        rawValues_.clear();
    } else {
        kind_ = Kind::Ignored;
        if (name != "ATTDEF")
            cur_->countNotDrawn(name);
    }
}

void PairParser::rawPair(int code, std::string_view value) {
    // A hatch of millions of pairs is kept whole for a moment; the arrays' own limit holds.
    rawCodes_.push_back(code);
    rawValues_.append(value);
    rawEnds_.push_back(static_cast<std::uint32_t>(rawValues_.size()));
}

void PairParser::entityValue(int code, std::string_view value) {
    if (embedded_)
        return;
    switch (kind_) {
    case Kind::LayerEntry:
        if (code == 2)
            nameText_.assign(trimmed(value).substr(0, 255));
        else if (code == 62)
            colour_ = Colour::index(integer(value)), flags_ |= integer(value) < 0 ? 0x100 : 0;
        else if (code == 70)
            flags_ |= integer(value) & 0xFF;
        else if (code == 420)
            haveTrueColour_ = true, r41_ = integer(value);
        return;
    case Kind::BlockStart:
        if (code == 2)
            nameText_.assign(trimmed(value).substr(0, 255));
        else if (code == 10)
            x_ = real(value);
        else if (code == 20)
            y_ = real(value);
        return;
    default:
        break;
    }
    switch (code) {
    case 8:
        layer_ = out_.layerNumber(trimmed(value));
        return;
    case 62:
        if (!haveTrueColour_) {
            const int c = integer(value);
            colour_ = c == 0             ? Colour{Colour::kByBlock}
                      : c == 256         ? Colour{Colour::kByLayer}
                      : c > 0 && c < 256 ? Colour::index(c)
                                         : Colour{};
        }
        return;
    case 420:
        haveTrueColour_ = true;
        colour_ = Colour::rgb(static_cast<std::uint32_t>(integer(value)));
        return;
    case 67:
        paper_ = integer(value) == 1;
        return;
    case 101:
        embedded_ = true;
        return;
    case 210:
        if (kind_ != Kind::MLeader) {
            nx_ = real(value);
            return;
        }
        break;
    case 220:
        if (kind_ != Kind::MLeader) {
            ny_ = real(value);
            return;
        }
        break;
    case 230:
        if (kind_ != Kind::MLeader) {
            nz_ = real(value);
            return;
        }
        break;
    default:
        break;
    }
    switch (kind_) {
    case Kind::Hatch:
    case Kind::MLeader:
        rawPair(code, value);
        return;
    case Kind::LwPolyline:
        if (code == 10) {
            points_.push_back({real(value), 0});
            bulges_.push_back(0);
        } else if (code == 20) {
            if (!points_.empty())
                points_.back().y = real(value);
        } else if (code == 42) {
            if (!bulges_.empty())
                bulges_.back() = real(value);
        } else if (code == 70) {
            flags_ = integer(value);
        }
        return;
    case Kind::Spline:
        switch (code) {
        case 10:
            points_.push_back({real(value), 0});
            return;
        case 20:
            if (!points_.empty())
                points_.back().y = real(value);
            return;
        case 11:
            fit_.push_back({real(value), 0});
            return;
        case 21:
            if (!fit_.empty())
                fit_.back().y = real(value);
            return;
        case 40:
            knots_.push_back(real(value));
            return;
        case 41:
            weights_.push_back(real(value));
            return;
        case 70:
            flags_ = integer(value);
            return;
        case 71:
            degree_ = integer(value);
            return;
        default:
            return;
        }
    case Kind::Leader:
        if (code == 10)
            points_.push_back({real(value), 0});
        else if (code == 20 && !points_.empty())
            points_.back().y = real(value);
        return;
    case Kind::Insert:
    case Kind::Dimension:
    case Kind::Table:
        if (code == 2 && !haveName_) {
            haveName_ = true;
            cur_->textBytes.begin();
            cur_->textBytes.append(trimmed(value).substr(0, 255));
            name_ = cur_->textBytes.currentOffset() |
                    static_cast<std::uint64_t>(cur_->textBytes.currentLength()) << 40;
            return;
        }
        if (kind_ != Kind::Insert) {
            if (kind_ == Kind::Table && code == 10)
                x_ = real(value);
            else if (kind_ == Kind::Table && code == 20)
                y_ = real(value);
            return;
        }
        break;
    default:
        break;
    }
    switch (code) {
    case 1:
        if (kind_ == Kind::Text || kind_ == Kind::Attrib) {
            cur_->textBytes.begin(); // a second text value replaces the first
            cur_->textBytes.append(value);
            haveText_ = true;
        } else if (kind_ == Kind::MText) {
            cur_->textBytes.append(value);
            haveText_ = true;
        }
        return;
    case 3:
        if (kind_ == Kind::MText)
            cur_->textBytes.append(value); // the first parts of a long text, in order
        return;
    case 10:
        x_ = real(value);
        return;
    case 20:
        y_ = real(value);
        return;
    case 11:
        x2_ = real(value);
        haveSecond_ = true;
        return;
    case 21:
        y2_ = real(value);
        haveSecond_ = true;
        return;
    case 12:
        x3_ = real(value);
        haveThird_ = true;
        return;
    case 22:
        y3_ = real(value);
        haveThird_ = true;
        return;
    case 13:
        x4_ = real(value);
        haveFourth_ = true;
        return;
    case 23:
        y4_ = real(value);
        haveFourth_ = true;
        return;
    case 40:
        height_ = real(value);
        return;
    case 41:
        have41_ = true;
        if (kind_ == Kind::Text || kind_ == Kind::Attrib)
            widthFactor_ = real(value);
        else
            r41_ = real(value);
        return;
    case 42:
        have42_ = true;
        r42_ = real(value);
        return;
    case 44:
        r44_ = real(value);
        return;
    case 45:
        r45_ = real(value);
        return;
    case 50:
        if (kind_ == Kind::Arc)
            start_ = real(value);
        else
            rotation_ = real(value);
        return;
    case 51:
        if (kind_ == Kind::Text || kind_ == Kind::Attrib)
            oblique_ = real(value);
        else
            end_ = real(value);
        return;
    case 70:
        flags_ = integer(value);
        return;
    case 71:
        attachment_ = i71_ = integer(value);
        return;
    case 72:
        halign_ = integer(value);
        return;
    case 73:
        valign_ = integer(value);
        return;
    case 74:
        i74_ = integer(value);
        return;
    default:
        return;
    }
}

void PairParser::keepPolyline(const std::vector<Point>& points, std::uint16_t flags,
                              const Ocs* ocs) {
    if (points.empty() || points.size() > UINT32_MAX)
        return;
    PolylineRecord p;
    p.first = cur_->vertices.size();
    p.count = static_cast<std::uint32_t>(points.size());
    p.look = look();
    p.look.spare = flags;
    p.closed = flags & PolylineRecord::kClosed;
    for (const Point& v : points)
        cur_->vertices.push_back(ocs && !ocs->isWorld() ? ocs->toWorld(v.x, v.y) : v);
    cur_->polylines.push_back(p);
}

void PairParser::finishEntity() {
    const Kind kind = kind_;
    kind_ = Kind::None;
    if (kind == Kind::LayerEntry) {
        finishLayer();
        return;
    }
    if (kind == Kind::BlockStart) {
        if (section_ == Section::Blocks) {
            if (inBlock_)
                out_.blocks.push_back(std::move(pendingBlock_));
            pendingBlock_ = Block{nameText_, {x_, y_}, std::make_unique<Entities>()};
            inBlock_ = true;
            cur_ = pendingBlock_.entities.get();
        }
        return;
    }
    if (paper_ && section_ == Section::Entities && kind != Kind::None && kind != Kind::Ignored &&
        kind != Kind::Vertex) {
        // Paper space is not the model a preview shows.
        if (kind == Kind::Polyline) {
            polylineOpen_ = true;
            polylineBad_ = meshOpen_ = true;
        }
        return;
    }
    static thread_local std::vector<Point> scratch;
    switch (kind) {
    case Kind::Text:
    case Kind::MText:
    case Kind::Attrib:
        finishText(kind);
        return;
    case Kind::Line:
        if (bad_)
            ++cur_->skipped;
        else
            cur_->lines.push_back({{x_, y_}, {x2_, y2_}, look()});
        return;
    case Kind::Point: {
        if (bad_)
            return void(++cur_->skipped);
        const Ocs o = ocs();
        scratch.assign(1, {x_, y_});
        keepPolyline(scratch, PolylineRecord::kPoint, &o);
        return;
    }
    case Kind::Circle:
    case Kind::Arc: {
        if (bad_ || height_ < 0) {
            ++cur_->skipped;
            return;
        }
        const Ocs o = ocs();
        double start = kind == Kind::Circle ? 0 : start_, end = kind == Kind::Circle ? 360 : end_;
        Point c{x_, y_};
        if (!o.isWorld() && !o.isMirror()) {
            // Seen at a slant: an ellipse in plan, kept as its outline.
            scratch.clear();
            appendArc(scratch, c, height_, start, end);
            keepPolyline(scratch, kind == Kind::Circle ? PolylineRecord::kClosed : 0, &o);
            return;
        }
        if (o.isMirror()) {
            c.x = -c.x;
            if (kind == Kind::Arc) {
                const double s = 180 - end, e = 180 - start;
                start = s;
                end = e;
            }
        }
        if (kind == Kind::Circle)
            cur_->arcs.push_back({c, height_, 0.0f, 360.0f, look()});
        else
            cur_->arcs.push_back({c, height_, static_cast<float>(std::fmod(start, 360.0)),
                                  static_cast<float>(std::fmod(end, 360.0)), look()});
        return;
    }
    case Kind::Ellipse: {
        if (bad_ || !(std::fabs(height_) > 0))
            return void(++cur_->skipped);
        // Points are the world's; the minor axis is the extrusion across the major one.
        const Point major{x2_, y2_};
        const double sign = nz_ < 0 ? -1 : 1;
        const Point minor{-major.y * height_ * sign, major.x * height_ * sign};
        scratch.clear();
        const double start = have41_ ? r41_ : 0;
        const double end = have42_ ? r42_ : 2 * std::numbers::pi;
        appendEllipse(scratch, {x_, y_}, major, minor, start, end);
        const bool whole = std::fabs(std::fabs(end - start) - 2 * std::numbers::pi) < 1e-9;
        keepPolyline(scratch, whole ? PolylineRecord::kClosed : 0, nullptr);
        return;
    }
    case Kind::LwPolyline: {
        if (bad_ || points_.empty())
            return void(bad_ ? ++cur_->skipped : 0);
        const bool closed = flags_ & 1;
        scratch.clear();
        scratch.push_back(points_[0]);
        for (std::size_t k = 1; k < points_.size(); ++k)
            appendBulge(scratch, points_[k - 1], points_[k], bulges_[k - 1]);
        if (closed && points_.size() > 1 && bulges_.back() != 0) {
            appendBulge(scratch, points_.back(), points_[0], bulges_.back());
            scratch.pop_back(); // the start again: closing draws that segment
        }
        const Ocs o = ocs();
        keepPolyline(scratch, closed ? PolylineRecord::kClosed : 0, &o);
        return;
    }
    case Kind::Polyline:
        finishVertexOwner();
        return;
    case Kind::Vertex:
        // Face records of a polyface mesh hold vertex numbers, not a point.
        if ((flags_ & 128) && !(flags_ & 64))
            return;
        if (bad_) {
            polylineBad_ = true;
        } else {
            points_.push_back({x_, y_});
            bulges_.push_back(have42_ ? r42_ : 0);
        }
        return;
    case Kind::Solid:
    case Kind::Face: {
        if (bad_)
            return void(++cur_->skipped);
        // A solid's third and fourth corners are given crosswise.
        scratch.clear();
        scratch.push_back({x_, y_});
        scratch.push_back({x2_, y2_});
        const Point third{x3_, y3_}, fourth = haveFourth_ ? Point{x4_, y4_} : third;
        if (kind == Kind::Solid) {
            scratch.push_back(fourth);
            scratch.push_back(third);
        } else {
            scratch.push_back(third);
            scratch.push_back(fourth);
        }
        const Ocs o = ocs();
        keepPolyline(scratch,
                     PolylineRecord::kClosed | (kind == Kind::Solid ? PolylineRecord::kFilled : 0),
                     kind == Kind::Solid ? &o : nullptr);
        return;
    }
    case Kind::Spline: {
        if (bad_)
            return void(++cur_->skipped);
        scratch.clear();
        if (!appendSpline(scratch, degree_, knots_, points_, weights_)) {
            scratch.clear();
            if (fit_.size() >= 2)
                appendThrough(scratch, fit_);
            else
                scratch = points_; // the control polygon is better than nothing
        }
        keepPolyline(scratch, (flags_ & 1) ? PolylineRecord::kClosed : 0, nullptr);
        return;
    }
    case Kind::Leader:
        if (!bad_ && points_.size() >= 2)
            keepPolyline(points_, 0, nullptr);
        return;
    case Kind::XLine:
    case Kind::Ray:
        if (bad_ || (x2_ == 0 && y2_ == 0))
            return;
        scratch.assign({{x_, y_}, {x_ + x2_, y_ + y2_}});
        keepPolyline(scratch, kind == Kind::XLine ? PolylineRecord::kXLine : PolylineRecord::kRay,
                     nullptr);
        return;
    case Kind::Insert:
    case Kind::Dimension:
    case Kind::Table:
        finishInsert(kind);
        return;
    case Kind::Hatch:
        finishHatch();
        return;
    case Kind::MLeader:
        finishMLeader();
        return;
    default:
        return;
    }
}

void PairParser::finishLayer() {
    if (nameText_.empty())
        return;
    Layer& l = out_.layers[out_.layerNumber(nameText_)];
    l.defined = true;
    l.off = flags_ & 0x100;
    l.frozen = flags_ & 1;
    Colour c = colour_;
    // A negative number turns the layer off; its colour is the number's size.
    if (l.off) {
        const std::int32_t n = static_cast<std::int32_t>(colour_.value & 0xFF) - 256;
        c = Colour::index(-n);
    }
    if (haveTrueColour_)
        // 24 bits of colour; anything else (negative, NaN, huge) is no colour to convert.
        c = Colour::rgb(static_cast<std::uint32_t>(r41_ > 0 ? std::min(r41_, 16777215.0) : 0.0));
    l.colour = c;
}

void PairParser::finishInsert(Kind kind) {
    if (bad_)
        return void(++cur_->skipped);
    if (!haveName_) {
        // A dimension some writers leave without its block: named, since it shows nothing.
        cur_->countNotDrawn(kind == Kind::Dimension ? "DIMENSION"
                            : kind == Kind::Table   ? "ACAD_TABLE"
                                                    : "INSERT");
        return;
    }
    InsertRecord r;
    r.name = name_;
    r.look = look();
    if (kind == Kind::Dimension) {
        cur_->inserts.push_back(r); // its block holds the drawn dimension, in world points
        return;
    }
    r.x = x_;
    r.y = y_;
    if (kind == Kind::Table) {
        cur_->inserts.push_back(r);
        return;
    }
    r.xScale = have41_ ? r41_ : 1;
    r.yScale = have42_ ? r42_ : 1;
    r.rotationDegrees = rotation_;
    r.columns = static_cast<std::uint16_t>(std::clamp(flags_, 1, 0xFFFF));
    r.rows = static_cast<std::uint16_t>(std::clamp(i71_, 1, 0xFFFF));
    r.columnSpacing = static_cast<float>(r44_);
    r.rowSpacing = static_cast<float>(r45_);
    const Ocs o = ocs();
    if (o.isMirror()) {
        r.x = -r.x;
        r.xScale = -r.xScale;
        r.rotationDegrees = -r.rotationDegrees;
        r.columnSpacing = -r.columnSpacing;
    } else if (!o.isWorld()) {
        const Point p = o.toWorld(r.x, r.y);
        const Point ax = o.toWorld(1, 0), ay = o.toWorld(0, 1);
        r.x = p.x;
        r.y = p.y;
        r.rotationDegrees = o.angleToWorld(r.rotationDegrees);
        r.xScale *= std::hypot(ax.x, ax.y);
        r.yScale *= std::hypot(ay.x, ay.y) * (ax.x * ay.y - ax.y * ay.x < 0 ? -1 : 1);
    }
    cur_->inserts.push_back(r);
}

namespace {

// Reads a hatch's or multileader's pairs in order.
class RawPairs {
  public:
    RawPairs(const std::vector<int>& codes, const std::vector<std::uint32_t>& ends,
             const std::string& values)
        : codes_(codes), ends_(ends), values_(values) {}
    bool done() const noexcept { return at_ >= codes_.size(); }
    int code() const noexcept { return codes_[at_]; }
    std::string_view value() const noexcept {
        const std::uint32_t from = at_ ? ends_[at_ - 1] : 0;
        return std::string_view(values_).substr(from, ends_[at_] - from);
    }
    void next() noexcept { ++at_; }
    double real() const noexcept {
        double v = 0;
        if (quickReal(value(), v))
            return v;
        const auto p = parseReal(value());
        return p && std::fabs(*p) < kMaxMagnitude ? *p : 0.0;
    }
    int integer() const noexcept {
        const auto p = parseInteger(value());
        return p ? *p : static_cast<int>(std::clamp(real(), -1e9, 1e9));
    }

  private:
    const std::vector<int>& codes_;
    const std::vector<std::uint32_t>& ends_;
    const std::string& values_;
    std::size_t at_ = 0;
};

// The points of one edge of a hatch boundary.
struct Edge {
    int type = 0;
    double v[12] = {}; // 10 20 11 21 40 50 51 73
    std::vector<double> knots, weights;
    std::vector<Point> control, fit;
    int degree = 3;
};

void appendEdge(std::vector<Point>& out, const Edge& e) {
    const double* v = e.v;
    switch (e.type) {
    case 1:
        if (out.empty())
            out.push_back({v[0], v[1]});
        out.push_back({v[2], v[3]});
        return;
    case 2:
    case 3: {
        const bool ccw = v[7] != 0;
        double s = v[5], t = v[6];
        std::vector<Point> pts;
        if (!ccw) {
            s = 360 - v[6];
            t = 360 - v[5];
        }
        if (e.type == 2) {
            appendArc(pts, {v[0], v[1]}, v[4], s, t);
        } else {
            const Point major{v[2], v[3]};
            const Point minor{-major.y * v[4], major.x * v[4]};
            constexpr double k = std::numbers::pi / 180;
            appendEllipse(pts, {v[0], v[1]}, major, minor, s * k, t * k);
        }
        if (!ccw) {
            std::reverse(pts.begin(), pts.end());
            for (Point& p : pts) // clockwise angles are mirrored about the centre's X axis
                p.y = 2 * v[1] - p.y;
        }
        out.insert(out.end(), pts.begin(), pts.end());
        return;
    }
    case 4:
        if (!appendSpline(out, e.degree, e.knots, e.control, e.weights)) {
            if (e.fit.size() >= 2)
                appendThrough(out, e.fit);
            else
                out.insert(out.end(), e.control.begin(), e.control.end());
        }
        return;
    default:
        return;
    }
}

} // namespace

void PairParser::finishHatch() {
    if (bad_)
        return void(++cur_->skipped);
    RawPairs r(rawCodes_, rawEnds_, rawValues_);
    bool solid = false;
    // Up to the boundary paths: the pattern's name, the fill flag, the count.
    while (!r.done() && r.code() != 91) {
        if (r.code() == 70)
            solid = r.integer() & 1;
        r.next();
    }
    if (r.done())
        return;
    const int paths = std::clamp(r.integer(), 0, 1 << 20);
    r.next();
    const Ocs o = ocs();
    std::vector<Point> outline;
    bool first = true;
    for (int path = 0; path < paths && !r.done(); ++path) {
        while (!r.done() && r.code() != 92)
            r.next();
        if (r.done())
            break;
        const int type = r.integer();
        r.next();
        outline.clear();
        if (type & 2) {
            // A polyline path: 72 bulges, 73 closed, 93 count, then the vertices.
            std::vector<Point> pts;
            std::vector<double> bulges;
            while (!r.done() && r.code() != 92 && r.code() != 97 && r.code() != 75) {
                if (r.code() == 10) {
                    pts.push_back({r.real(), 0});
                    bulges.push_back(0);
                } else if (r.code() == 20 && !pts.empty()) {
                    pts.back().y = r.real();
                } else if (r.code() == 42 && !bulges.empty()) {
                    bulges.back() = r.real();
                }
                r.next();
            }
            if (!pts.empty()) {
                outline.push_back(pts[0]);
                for (std::size_t k = 1; k < pts.size(); ++k)
                    appendBulge(outline, pts[k - 1], pts[k], bulges[k - 1]);
                if (pts.size() > 2 && bulges.back() != 0) {
                    appendBulge(outline, pts.back(), pts[0], bulges.back());
                    outline.pop_back();
                }
            }
        } else {
            // Edges: 93 count, then each edge's type (72) and numbers.
            Edge e;
            auto flush = [&] {
                if (e.type)
                    appendEdge(outline, e);
                e = Edge{};
            };
            while (!r.done() && r.code() != 92 && r.code() != 97 && r.code() != 75) {
                const int c = r.code();
                if (c == 72) {
                    flush();
                    e.type = r.integer();
                } else if (e.type == 4) {
                    switch (c) {
                    case 94:
                        e.degree = r.integer();
                        break;
                    case 40:
                        e.knots.push_back(r.real());
                        break;
                    case 42:
                        e.weights.push_back(r.real());
                        break;
                    case 10:
                        e.control.push_back({r.real(), 0});
                        break;
                    case 20:
                        if (!e.control.empty())
                            e.control.back().y = r.real();
                        break;
                    case 11:
                        e.fit.push_back({r.real(), 0});
                        break;
                    case 21:
                        if (!e.fit.empty())
                            e.fit.back().y = r.real();
                        break;
                    default:
                        break;
                    }
                } else {
                    static constexpr int kCodes[] = {10, 20, 11, 21, 40, 50, 51, 73};
                    for (int k = 0; k < 8; ++k)
                        if (c == kCodes[k])
                            e.v[k] = r.real();
                }
                r.next();
            }
            flush();
        }
        if (outline.size() >= 2) {
            std::uint16_t flags = PolylineRecord::kClosed |
                                  (solid ? PolylineRecord::kFilled : PolylineRecord::kLightFill);
            if (!first)
                flags |= PolylineRecord::kContinues;
            first = false;
            keepPolyline(outline, flags, &o);
        }
    }
}

void PairParser::finishMLeader() {
    RawPairs r(rawCodes_, rawEnds_, rawValues_);
    std::string text;
    double tx = 0, ty = 0, height = 0, angle = 0, dx = 1, dy = 0;
    bool haveText = false, haveDirection = false;
    std::vector<Point> line;
    Point landing{};
    bool inLine = false, inLeader = false, inContext = false;
    while (!r.done()) {
        const int c = r.code();
        const std::string_view v = trimmed(r.value());
        if (c == 300 && v == "CONTEXT_DATA{") {
            inContext = true;
        } else if (c == 302 && v == "LEADER{") {
            inLeader = true;
        } else if (c == 304 && v == "LEADER_LINE{") {
            inLine = true;
            line.assign(1, landing);
        } else if (c == 305 && inLine) {
            inLine = false;
            if (line.size() >= 2) {
                std::reverse(line.begin() + 1, line.end());
                keepPolyline(line, 0, nullptr);
            }
        } else if (c == 303) {
            inLeader = false;
        } else if (c == 301) {
            inContext = false;
        } else if (inLine && c == 10) {
            line.push_back({r.real(), 0});
        } else if (inLine && c == 20 && line.size() > 1) {
            line.back().y = r.real();
        } else if (inLeader && c == 10) {
            landing.x = r.real();
        } else if (inLeader && c == 20) {
            landing.y = r.real();
        } else if (inContext && !inLeader && c == 304) {
            text.assign(r.value());
            haveText = true;
        } else if (inContext && !inLeader && c == 12) {
            tx = r.real();
        } else if (inContext && !inLeader && c == 22) {
            ty = r.real();
        } else if (inContext && !inLeader && c == 41 && height == 0) {
            height = r.real();
        } else if (inContext && !inLeader && c == 42) {
            angle = r.real();
        } else if (inContext && !inLeader && c == 13) {
            dx = r.real();
            haveDirection = true;
        } else if (inContext && !inLeader && c == 23) {
            dy = r.real();
        }
        r.next();
    }
    if (!haveText || text.empty())
        return;
    cur_->textBytes.begin();
    cur_->textBytes.append(text);
    kind_ = Kind::MText;
    x_ = tx;
    y_ = ty;
    height_ = height;
    rotation_ = haveDirection ? std::atan2(dy, dx) * (180 / std::numbers::pi) : angle;
    haveSecond_ = false;
    attachment_ = 1;
    haveText_ = true;
    nx_ = ny_ = 0;
    nz_ = 1;
    finishText(Kind::MText);
    kind_ = Kind::None;
}

void PairParser::finishVertexOwner() {
    points_.clear();
    bulges_.clear();
    polylineLook_ = look();
    // Meshes (16) and polyface meshes (64) are surfaces; their vertices make no outline.
    if (flags_ & (16 | 64)) {
        cur_->countNotDrawn("POLYLINE (メッシュ)");
        polylineOpen_ = true;
        polylineBad_ = true; // read the vertices, keep none
        polylineClosed_ = false;
        meshOpen_ = true;
        return;
    }
    polylineOpen_ = true;
    polylineBad_ = false;
    meshOpen_ = false;
    polylineClosed_ = flags_ & 1;
    polylineWorld_ = flags_ & 8;
    polylineOcs_ = ocs();
}

void PairParser::closePolyline() {
    if (!polylineOpen_)
        return;
    polylineOpen_ = false;
    if (polylineBad_ || points_.empty()) {
        if (!meshOpen_)
            ++cur_->skipped;
        meshOpen_ = false;
        points_.clear();
        return;
    }
    static thread_local std::vector<Point> scratch;
    scratch.clear();
    scratch.push_back(points_[0]);
    for (std::size_t k = 1; k < points_.size(); ++k)
        appendBulge(scratch, points_[k - 1], points_[k], polylineWorld_ ? 0 : bulges_[k - 1]);
    if (polylineClosed_ && !polylineWorld_ && points_.size() > 1 && bulges_.back() != 0) {
        appendBulge(scratch, points_.back(), points_[0], bulges_.back());
        scratch.pop_back();
    }
    const Colour c = colour_;
    const std::uint16_t l = layer_;
    colour_ = polylineLook_.colour;
    layer_ = polylineLook_.layer;
    keepPolyline(scratch, polylineClosed_ ? PolylineRecord::kClosed : 0,
                 polylineWorld_ ? nullptr : &polylineOcs_);
    colour_ = c;
    layer_ = l;
    points_.clear();
    bulges_.clear();
}

void PairParser::finishText(Kind kind) {
    if (bad_ || !haveText_) {
        if (bad_)
            ++cur_->skipped;
        return;
    }
    const bool mtext = kind == Kind::MText;
    if (kind == Kind::Attrib && (flags_ & 1))
        return; // an invisible attribute
    ByteArena& arena = cur_->textBytes;
    const std::string_view bytes = arena.view(arena.currentOffset(), arena.currentLength());
    cur_->noteTextBytes(bytes);
    const std::uint16_t highs = Entities::highsOf(bytes, mtext);
    TextRecord t;
    TextExtra extra;
    extra.length = static_cast<std::uint32_t>(arena.currentLength());
    extra.look = look();
    std::uint8_t flags = 0;
    t.x = x_;
    t.y = y_;
    t.height = static_cast<float>(std::fabs(height_));
    t.widthMilli = widthFactor_ == 1
                       ? 1000
                       : static_cast<std::uint16_t>(
                             std::lround(std::clamp(std::fabs(widthFactor_), 0.0, 65.0) * 1000.0));
    double rotation = rotation_;
    const Ocs o = ocs();
    if (mtext) {
        flags = TextRecord::kMText;
        if (haveSecond_ && (x2_ != 0 || y2_ != 0)) // the text's direction wins over 50
            rotation = std::atan2(y2_, x2_) * (180.0 / std::numbers::pi);
        else
            rotation = o.angleToWorld(rotation);
        const int a = attachment_ >= 1 && attachment_ <= 9 ? attachment_ - 1 : 0;
        flags |= static_cast<std::uint8_t>(a % 3);            // left, center, right
        flags |= static_cast<std::uint8_t>((3 - a / 3) << 3); // top, middle, bottom
        extra.wrapWidth = static_cast<float>(std::max(0.0, r41_));
        extra.lineSpacing = r44_ > 0 && r44_ != 1 ? static_cast<float>(r44_) : 0.0f;
    } else {
        extra.obliqueDegrees = static_cast<float>(oblique_);
        extra.mirror = static_cast<std::uint8_t>(i71_ & 6);
        int h = halign_ >= 0 && halign_ <= 5 ? halign_ : 0;
        const int vertical = kind == Kind::Attrib ? i74_ : valign_;
        int v = vertical >= 0 && vertical <= 3 ? vertical : 0;
        if (h == 3 || h == 5)
            v = 0; // aligned and fit texts sit on their baseline
        // An aligned text stands at its alignment point, as CAD programs place it; aligned
        // and fit texts run from the insertion point towards it.
        if ((h != 0 || v != 0) && haveSecond_) {
            if (h == 3 || h == 5) {
                const double dx = x2_ - x_, dy = y2_ - y_;
                if (dx != 0 || dy != 0)
                    rotation = std::atan2(dy, dx) * (180.0 / std::numbers::pi);
                const double length = std::hypot(dx, dy);
                const double natural =
                    0.6 * t.height * static_cast<double>(std::max<std::size_t>(1, extra.length));
                if (natural > 0 && length > 0)
                    t.widthMilli = static_cast<std::uint16_t>(std::lround(
                        std::clamp(length / natural * t.widthFactor(), 0.01, 65.0) * 1000.0));
                h = 0;
            } else {
                t.x = x2_;
                t.y = y2_;
            }
        }
        if (!o.isWorld()) {
            const Point p = o.toWorld(t.x, t.y);
            t.x = p.x;
            t.y = p.y;
            if (o.isMirror()) {
                rotation = -rotation;
                extra.mirror ^= 2;
            } else {
                rotation = o.angleToWorld(rotation);
            }
        }
        flags |= static_cast<std::uint8_t>(h);
        flags |= static_cast<std::uint8_t>(v << 3);
    }
    t.angle = turnOf(rotation);
    const bool needExtra = extra.length > 0xFFFF || extra.look.colour.value != 0 ||
                           extra.look.layer != 0 || extra.obliqueDegrees != 0 ||
                           extra.wrapWidth != 0 || extra.lineSpacing != 0 || extra.mirror != 0;
    if (needExtra) {
        arena.prependRoom(sizeof extra);
        arena.overwrite(arena.currentOffset(), &extra, sizeof extra);
        flags |= TextRecord::kExtra;
    }
    t.packed = arena.currentOffset() |
               static_cast<std::uint64_t>(std::min<std::uint32_t>(extra.length, 0xFFFF))
                   << TextRecord::kLengthShift |
               static_cast<std::uint64_t>(flags) << TextRecord::kFlagShift;
    cur_->keepText(t, highs);
}

bool PairParser::finishFile() {
    if (!sawEof_) {
        if (!haveCode_)
            finishEntity();
        closePolyline();
        if (inBlock_) {
            inBlock_ = false;
            out_.blocks.push_back(std::move(pendingBlock_));
            cur_ = &out_;
        }
    }
    return sawEof_;
}

} // namespace quillet::drawing
