// The PDF export's font. Its widths are the document's own: the reader's face may differ from
// the front end's, so each character is placed by the front end's measure. Latin letters and
// half-width kana get their measured widths stated by CID, which readers take as each
// character's box, so that a Latin word is extracted as one; every other character is one em
// wide, as CJK characters are, and the character spacing makes up the rest.
#include "PdfFont.h"

#include "SvgPainter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace quillet::scene {

namespace {

constexpr std::string_view kFontName = "NotoSansCJKjp-Regular";
constexpr std::string_view kEncoding = "UniJIS-UTF16-H";

// Returns the CID that UniJIS-UTF16-H gives code when it is one of the characters whose
// widths the document states, ASCII and the half-width katakana; 0 for any other, which is
// one em wide.
std::uint32_t statedCid(std::uint32_t code) {
    if (code >= 0x20 && code <= 0x5B)
        return code - 0x1F;
    if (code >= 0x5D && code <= 0x7B)
        return code - 0x5D + 62;
    if (code >= 0xFF61 && code <= 0xFF9F)
        return code - 0xFF61 + 327;
    switch (code) {
    case 0x5C:
        return 97;
    case 0x7C:
        return 99;
    case 0x7D:
        return 94;
    case 0x7E:
        return 100;
    default:
        return 0;
    }
}

} // namespace

PdfFont::PdfFont(TextMeasure measure) : measure_(std::move(measure)) {}

double PdfFont::advance(std::u16string_view text) {
    return measure_ ? measure_(text) : estimatedAdvance(text);
}

double PdfFont::widthOf(char32_t cp, std::u16string_view units) {
    const auto [at, isNew] = widths_.try_emplace(cp, 0.0);
    if (isNew)
        at->second = advance(units);
    return at->second;
}

double PdfFont::statedWidth(std::uint32_t code) {
    const std::uint32_t cid = statedCid(code);
    if (cid == 0)
        return 1;
    const auto [at, isNew] = stated_.try_emplace(cid, 0);
    if (isNew) {
        const char16_t unit = static_cast<char16_t>(code);
        at->second = static_cast<int>(std::lround(widthOf(code, {&unit, 1}) * 1000));
    }
    return at->second / 1000.0;
}

void PdfFont::show(SinkWriter& out, std::u16string_view text) {
    // A code advances by the font's width (stated for Latin letters and half-width kana, one
    // em for the rest) and the character spacing, which makes up the rest of its measured
    // width. Readers take the font's width as the character's box, so the stated ones keep
    // a Latin word together when its text is extracted.
    bool open = false;
    for (std::size_t i = 0; i < text.size();) {
        const char16_t unit = text[i];
        std::u16string_view units = text.substr(i, 1);
        std::uint32_t code = unit;
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            units = text.substr(i, 2);
            code = (std::uint32_t{unit} << 16) | text[i + 1];
            cp = 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            code = cp = 0xFFFD; // half of a pair, which no font can show
        } else if (unit < 0x20) {
            code = 0x20; // a tab or another control shows as the blank it takes
        }
        i += units.size();
        const double wanted = std::round((widthOf(cp, units) - statedWidth(code)) * 1e4) / 1e4;
        if (wanted != spacing_) {
            if (open)
                out += "> Tj\n";
            open = false;
            out.number(wanted, 4);
            out += " Tc\n";
            spacing_ = wanted;
        }
        if (!open)
            out += '<';
        open = true;
        if (code > 0xFFFF) {
            out.hex(code, 8);
            pairs_.insert(code);
        } else {
            out.hex(code, 4);
            units_.set(code);
        }
    }
    if (open)
        out += "> Tj\n";
    used_ = true;
}

void PdfFont::writeToUnicode(SinkWriter& out) const {
    // The codes are UTF-16, so each maps to itself: runs that share their first byte as
    // ranges, pairs one by one, a hundred to a block as the format allows.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
    for (std::uint32_t u = 0; u < 0x10000;) {
        if (!units_.test(u)) {
            ++u;
            continue;
        }
        std::uint32_t last = u;
        while (last + 1 < 0x10000 && units_.test(last + 1) && ((last + 1) & 0xFF) != 0)
            ++last;
        ranges.emplace_back(u, last);
        u = last + 1;
    }
    std::string map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "3 begincodespacerange\n<0000> <D7FF>\n<D800DC00> <DBFFDFFF>\n"
                      "<E000> <FFFF>\nendcodespacerange\n";
    char text[64];
    for (std::size_t k = 0; k < ranges.size(); k += 100) {
        const std::size_t n = std::min<std::size_t>(100, ranges.size() - k);
        map += std::to_string(n) + " beginbfrange\n";
        for (std::size_t j = k; j < k + n; ++j) {
            std::snprintf(text, sizeof text, "<%04X> <%04X> <%04X>\n", ranges[j].first,
                          ranges[j].second, ranges[j].first);
            map += text;
        }
        map += "endbfrange\n";
    }
    const std::vector<std::uint32_t> pairs(pairs_.begin(), pairs_.end());
    for (std::size_t k = 0; k < pairs.size(); k += 100) {
        const std::size_t n = std::min<std::size_t>(100, pairs.size() - k);
        map += std::to_string(n) + " beginbfchar\n";
        for (std::size_t j = k; j < k + n; ++j) {
            std::snprintf(text, sizeof text, "<%08X> <%08X>\n", pairs[j], pairs[j]);
            map += text;
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    out += "<< /Length ";
    out.integer(static_cast<std::int64_t>(map.size()));
    out += " >>\nstream\n";
    out += map;
    out += "endstream\nendobj\n";
}

void PdfFont::writeObjects(SinkWriter& out, std::uint32_t first,
                           const std::function<void(std::uint32_t)>& begin) const {
    const std::uint32_t cidFont = first + 1, descriptor = first + 2, toUnicode = first + 3;
    begin(first);
    out += "<< /Type /Font /Subtype /Type0 /BaseFont /";
    out += kFontName;
    out += '-';
    out += kEncoding;
    out += " /Encoding /";
    out += kEncoding;
    out += " /DescendantFonts [";
    out.integer(cidFont);
    out += " 0 R] /ToUnicode ";
    out.integer(toUnicode);
    out += " 0 R >>\nendobj\n";
    begin(cidFont);
    out += "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /";
    out += kFontName;
    out += " /CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 6 >>"
           " /FontDescriptor ";
    out.integer(descriptor);
    out += " 0 R /DW 1000 /W [";
    // Consecutive CIDs in one list.
    std::uint32_t next = 0;
    for (const auto& [cid, width] : stated_) {
        if (cid != next) {
            if (next != 0)
                out += "] ";
            out.integer(cid);
            out += " [";
        } else {
            out += ' ';
        }
        out.integer(width);
        next = cid + 1;
    }
    if (next != 0)
        out += ']';
    out += "] >>\nendobj\n";
    // A sans-serif face (no Serif flag), non-Latin (Symbolic), of the usual CJK proportions.
    begin(descriptor);
    out += "<< /Type /FontDescriptor /FontName /";
    out += kFontName;
    out += " /Flags 4 /FontBBox [-1002 -1048 2928 1808] /ItalicAngle 0 /Ascent 880"
           " /Descent -120 /CapHeight 733 /StemV 80 >>\nendobj\n";
    begin(toUnicode);
    writeToUnicode(out);
}

} // namespace quillet::scene
