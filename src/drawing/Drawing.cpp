// Items of a drawing: their kinds, boxes and texts.
#include "Drawing.h"

#include "platform/TextEncoding.h"

namespace quillet::drawing {

namespace {

// Calls line(bytes) for each line of an MTEXT (split at "\P").
template <class F> void forEachMTextLine(std::string_view text, F&& line) {
    std::size_t from = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && (text[i + 1] == 'P' || text[i + 1] == 'X')) {
            line(text.substr(from, i - from));
            from = i + 2;
            ++i;
        } else if (text[i] == '\\') {
            ++i; // "\\P" is a backslash and a P
        }
    }
    line(text.substr(std::min(from, text.size())));
}

} // namespace

std::uint64_t Drawing::itemCount() const noexcept {
    return entities.texts.size() + entities.lines.size() + entities.arcs.size() +
           entities.polylines.size();
}

ItemKind Drawing::kindOf(std::uint32_t id, std::size_t& local) const noexcept {
    std::size_t n = id;
    if (n < entities.texts.size()) {
        local = n;
        return ItemKind::Text;
    }
    n -= entities.texts.size();
    if (n < entities.lines.size()) {
        local = n;
        return ItemKind::Line;
    }
    n -= entities.lines.size();
    if (n < entities.arcs.size()) {
        local = n;
        return ItemKind::Arc;
    }
    local = n - entities.arcs.size();
    return ItemKind::Polyline;
}

int Drawing::lineCount(std::size_t i) const noexcept {
    if (!entities.texts[i].isMText())
        return 1;
    int lines = 0;
    forEachMTextLine(entities.bytesOf(i), [&](std::string_view) { ++lines; });
    return lines;
}

Box Drawing::textBounds(std::size_t i) const noexcept {
    const TextRecord& t = entities.texts[i];
    const std::string_view bytes = entities.bytesOf(i);
    double ems = 0;
    int lines = 1;
    if (t.isMText()) {
        lines = 0;
        forEachMTextLine(bytes, [&](std::string_view line) {
            ems = std::max(ems, estimatedEms(line));
            ++lines;
        });
    } else {
        ems = estimatedEms(bytes);
    }
    const double width = ems * t.height * (t.isMText() ? 1.0 : t.widthFactor());
    return placedBox(t, textFrame(t, width, lines).box);
}

Point Drawing::positionOf(std::uint32_t id) const noexcept {
    if (id < entities.texts.size()) {
        const TextRecord& t = entities.texts[id];
        return {t.x, t.y};
    }
    std::size_t i = 0;
    switch (kindOf(id, i)) {
    case ItemKind::Line: {
        const LineRecord& l = entities.lines[i];
        return {(l.a.x + l.b.x) / 2, (l.a.y + l.b.y) / 2};
    }
    case ItemKind::Arc:
        return entities.arcs[i].center;
    case ItemKind::Polyline:
        return entities.vertices[entities.polylines[i].first];
    default:
        return {};
    }
}

Box Drawing::boundsOf(std::uint32_t id) const noexcept {
    std::size_t i = 0;
    Box b;
    switch (kindOf(id, i)) {
    case ItemKind::Text:
        return textBounds(i);
    case ItemKind::Line: {
        const LineRecord& l = entities.lines[i];
        b.add(l.a.x, l.a.y);
        b.add(l.b.x, l.b.y);
        return b;
    }
    case ItemKind::Arc: {
        // The whole circle: an arc's box is rarely much smaller, and this one is safe.
        const ArcRecord& a = entities.arcs[i];
        b.add(a.center.x - a.radius, a.center.y - a.radius);
        b.add(a.center.x + a.radius, a.center.y + a.radius);
        return b;
    }
    case ItemKind::Polyline: {
        const PolylineRecord& p = entities.polylines[i];
        for (std::uint64_t k = 0; k < p.count; ++k) {
            const Point& v = entities.vertices[p.first + k];
            b.add(v.x, v.y);
        }
        return b;
    }
    }
    return b;
}

void Drawing::buildIndex(const std::atomic<bool>* cancel) {
    encoding = encodingOf(header);
    guess = {};
    if (encoding == TextEncoding::Undeclared)
        for (std::size_t i = 0; i < entities.texts.size() && !(guess.utf8 && guess.cp932); ++i) {
            const std::string_view bytes = entities.bytesOf(i);
            if (platform::text::hasHighByte(bytes))
                (platform::text::isValidUtf8(bytes) ? guess.utf8 : guess.cp932) = true;
        }
    const std::uint64_t count = itemCount();
    index_.build(
        static_cast<std::uint32_t>(count), [this](std::uint32_t id) { return positionOf(id); },
        [this](std::uint32_t id) { return boundsOf(id); }, cancel);
}

std::string Drawing::decodedText(std::size_t i) const {
    return decodeText(entities.bytesOf(i), encoding, entities.texts[i].isMText());
}

} // namespace quillet::drawing
