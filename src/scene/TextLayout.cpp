// Text layout: line breaks, MTEXT's wrapping and line spacing, and alignment line by line.
#include "TextLayout.h"

#include "TextCache.h"

#include "drawing/TextListing.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace quillet::scene {

namespace {

bool isBlank(char16_t c) noexcept {
    return c == u' ' || c == u'\t' || c == 0x3000;
}

// Characters a line may break before or after without a blank: CJK ideographs, kana, hangul
// and full-width forms.
bool breaksAround(char16_t c) noexcept {
    return (c >= 0x2E80 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

std::u16string_view trimmedEnd(std::u16string_view s) noexcept {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Appends the lines of one paragraph wrapped at limit ems (no wrapping when limit <= 0).
void wrap(std::u16string_view paragraph, double limit, const TextMeasure& measure,
          std::vector<TextLine>& lines) {
    if (limit <= 0 || paragraph.empty()) {
        lines.push_back({paragraph, 0, 0});
        return;
    }
    std::size_t lineStart = 0;
    double width = 0;
    for (std::size_t at = 0; at < paragraph.size();) {
        // One token: a CJK character, or a word; with the blanks after it.
        std::size_t end = at + 1;
        if (!breaksAround(paragraph[at]))
            while (end < paragraph.size() && !isBlank(paragraph[end]) &&
                   !breaksAround(paragraph[end]))
                ++end;
        std::size_t blanks = end;
        while (blanks < paragraph.size() && isBlank(paragraph[blanks]))
            ++blanks;
        const std::u16string_view token = paragraph.substr(at, end - at);
        const double inked = measure(token);
        if (width + inked > limit && at > lineStart) {
            lines.push_back({trimmedEnd(paragraph.substr(lineStart, at - lineStart)), 0, 0});
            lineStart = at;
            width = 0;
        }
        width += blanks > end ? measure(paragraph.substr(at, blanks - at)) : inked;
        at = blanks;
    }
    lines.push_back({trimmedEnd(paragraph.substr(lineStart)), 0, 0});
}

// Where a line of a text in columns goes: its column, its row in it, its width.
struct ColumnPlace {
    std::size_t column = 0;
    std::size_t row = 0;
    double width = 0;
};

// Lays out the wrapped lines of an MTEXT in columns (breaks[j]: line j starts after a column
// break): each column takes lines until its height is full or a break comes, the last stated
// one all that is left. Returns the box, as layOutText.
drawing::Box layOutColumns(const drawing::TextRecord& t, const drawing::TextColumns& columns,
                           double spacing, const TextMeasure& measure, double em,
                           const std::vector<bool>& breaks, std::vector<TextLine>& lines) {
    static thread_local std::vector<ColumnPlace> places;
    places.assign(lines.size(), {});
    const double h = t.height, step = spacing * h;
    std::size_t column = 0, row = 0, used = 1;
    double block = h; // the tallest column, first cap to last baseline
    for (std::size_t j = 0; j < lines.size(); ++j) {
        if ((j > 0 && breaks[j]) || row >= drawing::columnRows(columns, column, step, h))
            ++column, row = 0;
        used = std::max(used, column + 1);
        places[j] = {column, row, measure(lines[j].text) * em};
        block = std::max(block, static_cast<double>(row) * step + h);
        ++row;
    }
    const drawing::TextFrame frame = drawing::columnsFrame(t, columns, used, block);
    drawing::Box box = frame.box;
    const drawing::HAlign across = t.halign();
    for (std::size_t j = 0; j < lines.size(); ++j) {
        const ColumnPlace& p = places[j];
        const double room = columns.width - p.width;
        lines[j].x = frame.left + static_cast<double>(p.column) * (columns.width + columns.gutter) +
                     (across == drawing::HAlign::Center  ? room / 2
                      : across == drawing::HAlign::Right ? room
                                                         : 0);
        lines[j].y = frame.firstBaseline - static_cast<double>(p.row) * step;
        box.add(lines[j].x + p.width, lines[j].y);
    }
    return box;
}

} // namespace

drawing::Box layOutText(const drawing::TextRecord& t, const drawing::TextExtra& extra,
                        std::u16string_view text, const TextMeasure& measure,
                        std::vector<TextLine>& lines, const drawing::TextColumns* columns) {
    lines.clear();
    const double em = t.height / kCapPerEm;
    const double wf = t.isMText() ? 1.0 : std::max(t.widthFactor(), 0.01);
    const bool inColumns = t.isMText() && columns && columns->width > 0;
    const double wrapWidth = inColumns ? columns->width : extra.wrapWidth;
    const double limit = t.isMText() && wrapWidth > 0 ? wrapWidth / em : 0;
    // A column break starts the next column of a text in columns, else a line.
    static thread_local std::vector<bool> breaks;
    breaks.clear();
    bool broken = false;
    for (std::size_t from = 0;;) {
        const std::size_t end = text.find_first_of(u"\n\v", from);
        const std::size_t first = lines.size();
        wrap(text.substr(from, end == std::u16string_view::npos ? end : end - from), limit, measure,
             lines);
        breaks.resize(lines.size(), false);
        if (broken && first < lines.size())
            breaks[first] = true;
        if (end == std::u16string_view::npos)
            break;
        broken = text[end] == static_cast<char16_t>(drawing::kColumnBreak);
        from = end + 1;
    }
    const double spacing =
        drawing::kMTextLineSpacing * (extra.lineSpacing > 0 ? extra.lineSpacing : 1.0);
    if (inColumns)
        return layOutColumns(t, *columns, spacing, measure, em, breaks, lines);
    // Each line's width goes into its x for now; the frame needs the widest first.
    double widest = 0;
    for (TextLine& line : lines) {
        line.x = measure(line.text) * em * wf;
        widest = std::max(widest, line.x);
    }
    const drawing::TextFrame frame =
        drawing::textFrame(t, widest, static_cast<int>(lines.size()), spacing);
    for (std::size_t j = 0; j < lines.size(); ++j) {
        const double width = lines[j].x;
        switch (t.halign()) {
        case drawing::HAlign::Center:
        case drawing::HAlign::Middle:
            lines[j].x = -width / 2;
            break;
        case drawing::HAlign::Right:
            lines[j].x = -width;
            break;
        default:
            lines[j].x = 0;
        }
        lines[j].y = frame.firstBaseline - static_cast<double>(j) * spacing * t.height;
    }
    return frame.box;
}

drawing::Box measuredExtents(const drawing::Drawing& drawing, const TextMeasure& measure,
                             std::size_t mostTexts) {
    drawing::Box box = drawing.extents();
    std::vector<TextLine> lines;
    std::u16string text;
    try {
        drawing::forEachPlacedText(
            drawing,
            [&](const drawing::PlacedText& p) {
                const drawing::TextRecord& t = p.owner->texts[p.index];
                const drawing::TextExtra extra = p.owner->textExtra(p.index);
                try {
                    text = utf16Of(drawing.decodedText(*p.owner, p.index));
                } catch (const std::exception&) {
                    text = utf16Of(p.owner->bytesOf(p.index));
                }
                std::optional<drawing::TextColumns> columns;
                if (extra.columns)
                    columns = p.owner->textColumns(p.index);
                drawing::Box local =
                    layOutText(t, extra, text, measure, lines, columns ? &*columns : nullptr);
                const double k = t.height > 0 ? p.height / t.height : 1;
                const double mx = extra.mirror & 2 ? -k : k, my = extra.mirror & 4 ? -k : k;
                const double a = p.rotationDegrees * (std::numbers::pi / 180.0);
                const double c = std::cos(a), s = std::sin(a);
                for (double x : {local.minX, local.maxX})
                    for (double y : {local.minY, local.maxY})
                        box.add(p.x + x * mx * c - y * my * s, p.y + x * mx * s + y * my * c);
            },
            mostTexts);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        // A text that cannot be laid out leaves the estimate standing.
    }
    return box;
}

} // namespace quillet::scene
