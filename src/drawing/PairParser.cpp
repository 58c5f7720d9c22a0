// The pair state machine. The loop over lines is the reader's hot path: a drawing of ten
// million texts has a hundred and forty million lines, so line ends are found sixteen bytes
// at a time and only the values of the entities drawn are converted.
#include "PairParser.h"

#include "DrawingError.h"
#include "Numbers.h"

#include <algorithm>
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
    : out_(out), section_(start), line_(firstLine) {}

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
    if (!lf || lf == text || lf[-1] != '\r' ||
        std::memchr(text, '\r', static_cast<std::size_t>(lf - 1 - text)))
        return nullptr;
    if (std::fabs(x) > kMaxMagnitude || std::fabs(y) > kMaxMagnitude ||
        std::fabs(height) > kMaxMagnitude)
        return nullptr;
    // What the line-by-line way does with these fourteen lines.
    startEntity("TEXT");
    x_ = x;
    y_ = y;
    height_ = height;
    out_.textBytes.append({text, static_cast<std::size_t>(lf - 1 - text)});
    haveText_ = true;
    line_ += 14;
    const char* next = lf + 1;
    // A style line (ours names KST32B) changes nothing drawn.
    if (startsWith(next, end, "  7\r\n")) {
        const char* style = next + 5;
        const char* styleEnd = static_cast<const char*>(
            std::memchr(style, '\n', std::min<std::ptrdiff_t>(end - style, 64)));
        if (styleEnd && startsWith(styleEnd + 1, end, "  0\r\n")) {
            next = styleEnd + 1;
            line_ += 2;
        }
    }
    // When the next entity follows, this one is complete: a plain text, kept at once.
    if (startsWith(next, end, "  0\r\n")) {
        kind_ = Kind::None;
        TextRecord t;
        t.x = x;
        t.y = y;
        t.height = static_cast<float>(std::fabs(height));
        t.widthMilli = 1000;
        t.packed = out_.textBytes.currentOffset() |
                   static_cast<std::uint64_t>(out_.textBytes.currentLength())
                       << TextRecord::kLengthShift;
        out_.texts.push_back(t);
    }
    return next;
}

void PairParser::parse(const char* begin, const char* end) {
    if (sawEof_)
        return;
    LineFeeds feeds(begin, end);
    const char* p = begin;
    while (p < end) {
        // This program's own texts are most of the lines a preview reads: whole at once.
        if (!haveCode_ && section_ == Section::Entities && *p == ' ' &&
            startsWith(p, end, kOwnTextStart)) {
            if (const char* next = ownText(p, end)) {
                p = next;
                feeds.skipTo(p);
                continue;
            }
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
        section_ = Section::None;
        return;
    }
    if (name == "EOF") {
        sawEof_ = true;
        section_ = Section::None;
        return;
    }
    if (section_ != Section::Entities) {
        kind_ = Kind::Ignored;
        return;
    }
    bad_ = false;
    x_ = y_ = x2_ = y2_ = height_ = rotation_ = start_ = 0;
    end_ = 360;
    widthFactor_ = 1;
    haveSecond_ = haveText_ = false;
    flags_ = halign_ = valign_ = 0;
    attachment_ = 1;
    const bool vertexOrEnd = name == "VERTEX" || name == "SEQEND";
    if (polylineOpen_ && !vertexOrEnd)
        closePolyline(); // a polyline without its SEQEND ends at the next entity
    if (name == "TEXT") {
        kind_ = Kind::Text;
        out_.textBytes.begin();
    } else if (name == "MTEXT") {
        kind_ = Kind::MText;
        out_.textBytes.begin();
    } else if (name == "LINE") {
        kind_ = Kind::Line;
    } else if (name == "CIRCLE") {
        kind_ = Kind::Circle;
    } else if (name == "ARC") {
        kind_ = Kind::Arc;
    } else if (name == "LWPOLYLINE") {
        kind_ = Kind::LwPolyline;
        polylineOpen_ = true;
        polylineBad_ = polylineClosed_ = false;
        polylineFirst_ = out_.vertices.size();
    } else if (name == "POLYLINE") {
        kind_ = Kind::Polyline;
    } else if (name == "VERTEX" && polylineOpen_) {
        kind_ = Kind::Vertex;
    } else if (name == "SEQEND" && polylineOpen_) {
        closePolyline();
        kind_ = Kind::None;
    } else if (vertexOrEnd) {
        kind_ = Kind::Ignored; // the end of an insert's attributes, or a stray vertex
    } else {
        kind_ = Kind::Ignored;
        out_.countNotDrawn(name);
    }
}

void PairParser::entityValue(int code, std::string_view value) {
    switch (code) {
    case 1:
        if (kind_ == Kind::Text) {
            out_.textBytes.begin(); // a second text value replaces the first
            out_.textBytes.append(value);
            haveText_ = true;
        } else if (kind_ == Kind::MText) {
            out_.textBytes.append(value);
            haveText_ = true;
        }
        return;
    case 3:
        if (kind_ == Kind::MText)
            out_.textBytes.append(value); // the first parts of a long text, in order
        return;
    case 10:
        if (kind_ == Kind::LwPolyline) {
            out_.vertices.push_back({real(value), 0});
            if (bad_)
                polylineBad_ = true;
        } else {
            x_ = real(value);
        }
        return;
    case 20:
        if (kind_ == Kind::LwPolyline) {
            if (out_.vertices.size() > polylineFirst_)
                out_.vertices.back().y = real(value);
            if (bad_)
                polylineBad_ = true;
        } else {
            y_ = real(value);
        }
        return;
    case 11:
        x2_ = real(value);
        haveSecond_ = true;
        return;
    case 21:
        y2_ = real(value);
        haveSecond_ = true;
        return;
    case 40:
        height_ = real(value);
        return;
    case 41:
        if (kind_ == Kind::Text)
            widthFactor_ = real(value);
        return;
    case 50:
        if (kind_ == Kind::Arc)
            start_ = real(value);
        else
            rotation_ = real(value);
        return;
    case 51:
        end_ = real(value);
        return;
    case 70:
        flags_ = integer(value);
        return;
    case 71:
        attachment_ = integer(value);
        return;
    case 72:
        halign_ = integer(value);
        return;
    case 73:
        valign_ = integer(value);
        return;
    default:
        return;
    }
}

void PairParser::finishEntity() {
    const Kind kind = kind_;
    kind_ = Kind::None;
    switch (kind) {
    case Kind::Text:
    case Kind::MText:
        finishText(kind == Kind::MText);
        return;
    case Kind::Line:
        if (bad_)
            ++out_.skipped;
        else
            out_.lines.push_back({{x_, y_}, {x2_, y2_}});
        return;
    case Kind::Circle:
    case Kind::Arc:
        if (bad_ || height_ < 0) {
            ++out_.skipped;
            return;
        }
        if (kind == Kind::Circle)
            out_.arcs.push_back({{x_, y_}, height_, 0.0f, 360.0f});
        else
            out_.arcs.push_back({{x_, y_},
                                 height_,
                                 static_cast<float>(std::fmod(start_, 360.0)),
                                 static_cast<float>(std::fmod(end_, 360.0))});
        return;
    case Kind::LwPolyline:
        polylineClosed_ = flags_ & 1;
        closePolyline();
        return;
    case Kind::Polyline:
        finishVertexOwner();
        return;
    case Kind::Vertex:
        // Face records of a polyface mesh hold vertex numbers, not a point.
        if ((flags_ & 128) && !(flags_ & 64))
            return;
        if (bad_)
            polylineBad_ = true;
        else
            out_.vertices.push_back({x_, y_});
        return;
    default:
        return;
    }
}

void PairParser::finishVertexOwner() {
    // Meshes (16) and polyface meshes (64) are surfaces; their vertices make no outline.
    if (flags_ & (16 | 64)) {
        out_.countNotDrawn("POLYLINE (メッシュ)");
        polylineOpen_ = true;
        polylineBad_ = true; // read the vertices, keep none
        polylineFirst_ = out_.vertices.size();
        polylineClosed_ = false;
        meshOpen_ = true;
        return;
    }
    polylineOpen_ = true;
    polylineBad_ = false;
    meshOpen_ = false;
    polylineClosed_ = flags_ & 1;
    polylineFirst_ = out_.vertices.size();
}

void PairParser::closePolyline() {
    if (!polylineOpen_)
        return;
    polylineOpen_ = false;
    const std::uint64_t count = out_.vertices.size() - polylineFirst_;
    if (polylineBad_ || count == 0 || count > UINT32_MAX) {
        if (!meshOpen_)
            ++out_.skipped;
        out_.vertices.truncate(polylineFirst_);
        meshOpen_ = false;
        return;
    }
    out_.polylines.push_back({polylineFirst_, static_cast<std::uint32_t>(count), polylineClosed_});
}

void PairParser::finishText(bool mtext) {
    if (bad_ || !haveText_) {
        if (bad_)
            ++out_.skipped;
        return;
    }
    TextRecord t;
    std::uint8_t flags = 0;
    t.x = x_;
    t.y = y_;
    t.height = static_cast<float>(std::fabs(height_));
    t.widthMilli = widthFactor_ == 1
                       ? 1000
                       : static_cast<std::uint16_t>(
                             std::lround(std::clamp(std::fabs(widthFactor_), 0.0, 65.0) * 1000.0));
    double rotation = rotation_;
    if (mtext) {
        flags = TextRecord::kMText;
        if (haveSecond_ && (x2_ != 0 || y2_ != 0)) // the text's direction wins over 50
            rotation = std::atan2(y2_, x2_) * (180.0 / std::numbers::pi);
        const int a = attachment_ >= 1 && attachment_ <= 9 ? attachment_ - 1 : 0;
        flags |= static_cast<std::uint8_t>(a % 3);            // left, center, right
        flags |= static_cast<std::uint8_t>((3 - a / 3) << 3); // top, middle, bottom
    } else {
        int h = halign_ >= 0 && halign_ <= 5 ? halign_ : 0;
        int v = valign_ >= 0 && valign_ <= 3 ? valign_ : 0;
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
                    0.6 * t.height *
                    static_cast<double>(std::max<std::size_t>(1, out_.textBytes.currentLength()));
                if (natural > 0 && length > 0)
                    t.widthMilli = static_cast<std::uint16_t>(std::lround(
                        std::clamp(length / natural * t.widthFactor(), 0.01, 65.0) * 1000.0));
                h = 0;
            } else {
                t.x = x2_;
                t.y = y2_;
            }
        }
        flags |= static_cast<std::uint8_t>(h);
        flags |= static_cast<std::uint8_t>(v << 3);
    }
    t.angle = turnOf(rotation);
    t.packed = out_.textBytes.currentOffset() |
               static_cast<std::uint64_t>(out_.textBytes.currentLength())
                   << TextRecord::kLengthShift |
               static_cast<std::uint64_t>(flags) << TextRecord::kFlagShift;
    out_.texts.push_back(t);
}

void PairParser::finishFile() {
    if (!sawEof_)
        throw DrawingError("図面が途中で終わっています (EOF がありません)。", line_ - 1);
}

} // namespace quillet::drawing
