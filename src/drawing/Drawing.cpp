// Items of a drawing: their kinds, boxes and texts; blocks found by name once read.
#include "Drawing.h"

#include "LateParts.h"

#include "platform/TextEncoding.h"

#include <cmath>
#include <numbers>
#include <unordered_map>

namespace quillet::drawing {

namespace {

// Calls line(bytes, column) for each line of an MTEXT (split at "\P", and at the column break
// "\N", after which column is true).
template <class F> void forEachMTextLine(std::string_view text, F&& line) {
    std::size_t from = 0;
    bool column = false;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && (text[i + 1] == 'P' || text[i + 1] == 'X' || text[i + 1] == 'N')) {
            line(text.substr(from, i - from), column);
            column = text[i + 1] == 'N';
            from = i + 2;
            ++i;
        } else if (text[i] == '\\') {
            ++i; // "\\P" is a backslash and a P
        }
    }
    line(text.substr(std::min(from, text.size())), column);
}

// Returns the box of MTEXT i of e, in columns c, around its anchor: its lines wrapped at the
// columns' width by their estimated width and flowed through the columns as the layout does.
Box estimatedColumnsBox(const Entities& e, std::size_t i, const TextColumns& c, double spacing) {
    const TextRecord& t = e.texts[i];
    const double h = t.height, step = spacing * h;
    const double wrap = h > 0 ? c.width / h : 0;
    std::size_t column = 0, row = 0, used = 1;
    double block = h;
    bool first = true;
    forEachMTextLine(e.bytesOf(i), [&](std::string_view line, bool startsColumn) {
        const double ems = estimatedEms(line);
        double left = wrap > 0 && ems > wrap ? 1 + std::floor(std::min(ems / wrap, 1e7)) : 1;
        if (startsColumn && !first)
            ++column, row = 0;
        first = false;
        while (left > 0) {
            const std::size_t room = columnRows(c, column, step, h);
            if (row >= room) {
                ++column, row = 0;
                continue;
            }
            const double take = std::min(left, static_cast<double>(room - row));
            row += static_cast<std::size_t>(take);
            left -= take;
            block = std::max(block, static_cast<double>(row - 1) * step + h);
        }
        used = std::max(used, column + 1);
    });
    return columnsFrame(t, c, used, block).box;
}

} // namespace

Affine insertTransform(const InsertRecord& r, Point base, int col, int row) noexcept {
    const double t = r.rotationDegrees * (std::numbers::pi / 180);
    const double cs = std::cos(t), sn = std::sin(t);
    const double ox = col * static_cast<double>(r.columnSpacing);
    const double oy = row * static_cast<double>(r.rowSpacing);
    Affine m;
    m.a = cs * r.xScale;
    m.b = sn * r.xScale;
    m.c = -sn * r.yScale;
    m.d = cs * r.yScale;
    // The base point goes to the insertion point, the array's offset turned with the block.
    m.e = r.x + cs * ox - sn * oy - (m.a * base.x + m.c * base.y);
    m.f = r.y + sn * ox + cs * oy - (m.b * base.x + m.d * base.y);
    return m;
}

std::uint64_t Drawing::itemCount() const noexcept {
    return entities.texts.size() + entities.lines.size() + entities.arcs.size() +
           entities.polylines.size() + entities.inserts.size();
}

namespace {

// Returns the box of the entities of a block that may show: a record on a layer of its own
// that is off or frozen never does (one on layer 0 shows as its insert does).
Box boxOfEntities(const Drawing& d, const Entities& e, const std::vector<Box>& blockBoxes) {
    const auto shown = [&d](const Look& look) { return look.layer == 0 || !d.hidden(look); };
    Box b;
    for (std::size_t i = 0; i < e.texts.size(); ++i)
        if (shown(e.textLook(i)))
            b.add(estimatedTextBox(e, i));
    for (std::size_t i = 0; i < e.lines.size(); ++i) {
        if (!shown(e.lines[i].look))
            continue;
        b.add(e.lines[i].a.x, e.lines[i].a.y);
        b.add(e.lines[i].b.x, e.lines[i].b.y);
    }
    for (std::size_t i = 0; i < e.arcs.size(); ++i) {
        const ArcRecord& a = e.arcs[i];
        if (!shown(a.look))
            continue;
        b.add(a.center.x - a.radius, a.center.y - a.radius);
        b.add(a.center.x + a.radius, a.center.y + a.radius);
    }
    for (std::size_t i = 0; i < e.polylines.size(); ++i) {
        const PolylineRecord& p = e.polylines[i];
        if (!shown(p.look))
            continue;
        const std::uint64_t n =
            p.flags() & (PolylineRecord::kXLine | PolylineRecord::kRay) ? 1 : p.count;
        for (std::uint64_t k = 0; k < n; ++k)
            b.add(e.vertices[p.first + k].x, e.vertices[p.first + k].y);
    }
    (void)d;
    (void)blockBoxes;
    return b;
}

// Returns the box of box mapped by m.
Box mapped(const Affine& m, const Box& box) {
    Box out;
    if (box.empty())
        return out;
    for (double x : {box.minX, box.maxX})
        for (double y : {box.minY, box.maxY}) {
            const Point p = m({x, y});
            out.add(p.x, p.y);
        }
    return out;
}

} // namespace

Box Drawing::insertBounds(const InsertRecord& r) const noexcept {
    const Block* block = blockOf(r);
    if (!block || r.block >= blockBoxes_.size())
        return {};
    const Box& inner = blockBoxes_[r.block];
    Box out;
    // The corner copies of an array bound all of it.
    for (int col : {0, r.columns - 1})
        for (int row : {0, r.rows - 1})
            out.add(mapped(insertTransform(r, block->base, col, row), inner));
    return out;
}

void Drawing::resolveBlocks() {
    std::unordered_map<std::string_view, std::uint32_t> byName;
    auto& blocks = entities.blocks;
    for (std::size_t b = 0; b < blocks.size(); ++b)
        byName.emplace(blocks[b].name, static_cast<std::uint32_t>(b));
    auto resolve = [&](Entities& e) {
        for (std::size_t i = 0; i < e.inserts.size(); ++i) {
            const auto it = byName.find(e.insertName(i));
            e.inserts[i].block = it == byName.end() ? InsertRecord::kNoBlock : it->second;
        }
    };
    resolve(entities);
    for (Block& b : blocks)
        resolve(*b.entities);
    placeLateParts(*this);
    blockBoxes_.assign(blocks.size(), Box{});
    std::vector<std::uint8_t> state(blocks.size(), 0); // 0 to do, 1 under way, 2 done
    for (std::size_t b = 0; b < blocks.size(); ++b)
        computeBlockBox(b, 0, state);
    findNestingCut();
}

void Drawing::findNestingCut() {
    // Each block's height (the most levels of blocks below it, kDeepestBlocks at most, a block
    // inside itself as deep as that), worked out without recursion: a chain of blocks may be
    // hundreds of thousands long.
    const auto& blocks = entities.blocks;
    constexpr int kUnknown = -1, kUnderWay = -2;
    std::vector<int> height(blocks.size(), kUnknown);
    std::vector<std::pair<std::uint32_t, std::size_t>> path; // block, next insert to look at
    const auto visit = [&](std::uint32_t start) {
        if (height[start] >= 0)
            return;
        path.push_back({start, 0});
        height[start] = kUnderWay;
        while (!path.empty()) {
            auto& [b, next] = path.back();
            const Entities& e = *blocks[b].entities;
            if (next < e.inserts.size()) {
                const std::uint32_t inner = e.inserts[next++].block;
                if (inner >= blocks.size())
                    continue;
                if (height[inner] == kUnderWay)
                    height[b] = kDeepestBlocks; // itself, at some depth
                else if (height[inner] == kUnknown) {
                    height[inner] = kUnderWay;
                    path.push_back({inner, 0});
                }
                continue;
            }
            int h = height[b] == kDeepestBlocks ? kDeepestBlocks : 0;
            for (std::size_t i = 0; i < e.inserts.size(); ++i)
                if (const std::uint32_t inner = e.inserts[i].block;
                    inner < blocks.size() && height[inner] >= 0)
                    h = std::max(h, std::min(height[inner] + 1, kDeepestBlocks));
            height[b] = h;
            path.pop_back();
        }
    };
    nestingCut_ = false;
    for (std::size_t i = 0; i < entities.inserts.size(); ++i) {
        const InsertRecord& r = entities.inserts[i];
        if (r.block >= blocks.size() || hidden(r.look))
            continue;
        visit(r.block);
        // The insert's block is the first level; those below it take the rest.
        if (height[r.block] >= kDeepestBlocks) {
            nestingCut_ = true;
            return;
        }
    }
}

std::uint64_t Drawing::textsCut() const noexcept {
    std::uint64_t cut = entities.textBytes.textsCut();
    for (const Block& b : entities.blocks)
        cut += b.entities->textBytes.textsCut();
    return cut;
}

Box Drawing::computeBlockBox(std::size_t b, int depth, std::vector<std::uint8_t>& state) {
    if (state[b] == 2)
        return blockBoxes_[b];
    if (state[b] == 1 || depth > 32)
        return {}; // a block inside itself draws nothing more
    state[b] = 1;
    const Entities& e = *entities.blocks[b].entities;
    Box box = boxOfEntities(*this, e, blockBoxes_);
    for (std::size_t i = 0; i < e.inserts.size(); ++i) {
        const InsertRecord& r = e.inserts[i];
        if (r.block >= entities.blocks.size() || (r.look.layer != 0 && hidden(r.look)))
            continue;
        computeBlockBox(r.block, depth + 1, state);
        if (state[r.block] == 2)
            box.add(insertBounds(r));
    }
    blockBoxes_[b] = box;
    state[b] = 2;
    return box;
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
    n -= entities.arcs.size();
    if (n < entities.polylines.size()) {
        local = n;
        return ItemKind::Polyline;
    }
    local = n - entities.polylines.size();
    return ItemKind::Insert;
}

int Drawing::lineCount(std::size_t i) const noexcept {
    if (!entities.texts[i].isMText())
        return 1;
    int lines = 0;
    forEachMTextLine(entities.bytesOf(i), [&](std::string_view, bool) { ++lines; });
    return lines;
}

Box estimatedTextBox(const Entities& e, std::size_t i) noexcept {
    const TextRecord& t = e.texts[i];
    const std::uint16_t highs = i < e.textHighs.size() ? e.textHighs[i] : Entities::kWidthFromBytes;
    if (t.flags() == 0 && t.angle == 0 && highs != Entities::kWidthFromBytes) {
        // Most texts (all of ours): one unturned line of TEXT on its baseline at its left,
        // nothing beyond its record. The frame and box the general way below works out, with
        // the steps it would take for them, so the box is the same to the last bit.
        const double ems = 0.6 * static_cast<double>(t.length()) - 0.1 * static_cast<double>(highs);
        const double width = ems * t.height * t.widthFactor();
        const double h = t.height;
        Box local;
        local.add(0, h);
        local.add(width, h - h - kDescent * h);
        return {t.x + local.minX, t.y + local.minY, t.x + local.maxX, t.y + local.maxY};
    }
    double ems = 0;
    int lines = 1;
    double spacing = kMTextLineSpacing;
    if (t.isMText()) {
        const TextExtra extra = e.textExtra(i);
        const double wrap = t.height > 0 ? extra.wrapWidth / t.height : 0;
        if (extra.lineSpacing > 0)
            spacing *= extra.lineSpacing;
        if (extra.columns)
            return placedBox(t, estimatedColumnsBox(e, i, e.textColumns(i), spacing));
        lines = 0;
        forEachMTextLine(e.bytesOf(i), [&](std::string_view line, bool) {
            const double lineEms = estimatedEms(line);
            // A wrapped paragraph takes the width and as many lines as it needs.
            // Counts are capped: a tiny wrap width must not overflow them (a box that tall is
            // as good as any taller one).
            constexpr double kMostLines = 1e7;
            const int wrapped = wrap > 0 && lineEms > wrap
                                    ? static_cast<int>(std::min(lineEms / wrap, kMostLines))
                                    : 0;
            ems = std::max(ems, wrapped ? wrap : lineEms);
            lines = static_cast<int>(std::min(double(lines) + 1 + wrapped, kMostLines));
        });
    } else if (highs != Entities::kWidthFromBytes) {
        // What estimatedEms works out from the bytes, from their count and their high ones.
        const std::size_t length = t.hasExtra() ? e.textExtra(i).length : t.length();
        ems = 0.6 * static_cast<double>(length) - 0.1 * static_cast<double>(highs);
    } else {
        ems = estimatedEms(e.bytesOf(i));
    }
    const double width = ems * t.height * (t.isMText() ? 1.0 : t.widthFactor());
    Box local = textFrame(t, width, lines, spacing).box;
    if (!t.isMText() && t.hasExtra()) {
        const TextExtra extra = e.textExtra(i);
        if (extra.mirror & 2)
            local = {-local.maxX, local.minY, -local.minX, local.maxY};
        if (extra.mirror & 4)
            local = {local.minX, -local.maxY, local.maxX, -local.minY};
    }
    return placedBox(t, local);
}

Box Drawing::textBounds(std::size_t i) const noexcept {
    return estimatedTextBox(entities, i);
}

Look Drawing::lookOf(std::uint32_t id) const noexcept {
    std::size_t i = 0;
    switch (kindOf(id, i)) {
    case ItemKind::Text:
        return entities.textLook(i);
    case ItemKind::Line:
        return entities.lines[i].look;
    case ItemKind::Arc:
        return entities.arcs[i].look;
    case ItemKind::Polyline:
        return entities.polylines[i].look;
    case ItemKind::Insert:
        return entities.inserts[i].look;
    }
    return {};
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
    case ItemKind::Insert:
        return {entities.inserts[i].x, entities.inserts[i].y};
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
    case ItemKind::Insert:
        return insertBounds(entities.inserts[i]);
    case ItemKind::Polyline: {
        const PolylineRecord& p = entities.polylines[i];
        // An endless line is indexed by its base point; the painter clips it to the view.
        const std::uint64_t n =
            p.flags() & (PolylineRecord::kXLine | PolylineRecord::kRay) ? 1 : p.count;
        for (std::uint64_t k = 0; k < n; ++k) {
            const Point& v = entities.vertices[p.first + k];
            b.add(v.x, v.y);
        }
        return b;
    }
    }
    return b;
}

void Drawing::buildIndex(const std::atomic<bool>* cancel, unsigned threads) {
    encoding = encodingOf(header);
    resolveBlocks();
    guess = {};
    if (encoding == TextEncoding::Undeclared) // the texts' bytes were looked at as they were kept
        guess = {entities.highUtf8, entities.highOther};
    const std::uint64_t count = itemCount();
    // The box of every place: the texts' anchors were kept as the texts were read, so only
    // the other items are looked at for it.
    Box places = entities.textAnchors;
    for (std::uint64_t id = entities.texts.size(); id < count; ++id) {
        const Point p = positionOf(static_cast<std::uint32_t>(id));
        if (std::isfinite(p.x) && std::isfinite(p.y))
            places.add(p.x, p.y);
    }
    // Runs of texts, most of a large drawing, are read straight from their records.
    const auto textsBefore = [this](std::uint32_t end) { return end <= entities.texts.size(); };
    // What is on a layer that is off or frozen never shows: it gets no box, so that neither
    // the extents nor a view take it in.
    bool anyHidden = false;
    for (const Layer& l : entities.layers)
        anyHidden = anyHidden || l.hidden();
    index_.build(
        static_cast<std::uint32_t>(count),
        [this, textsBefore](std::uint32_t begin, std::uint32_t end, Point* out) {
            if (textsBefore(end)) {
                for (std::uint32_t i = begin; i < end; ++i) {
                    const TextRecord& t = entities.texts[i];
                    out[i - begin] = {t.x, t.y};
                }
                return;
            }
            for (std::uint32_t i = begin; i < end; ++i)
                out[i - begin] = positionOf(i);
        },
        [this, textsBefore, anyHidden](std::uint32_t begin, std::uint32_t end, Box* out) {
            if (textsBefore(end)) {
                for (std::uint32_t i = begin; i < end; ++i)
                    out[i - begin] = estimatedTextBox(entities, i);
            } else {
                for (std::uint32_t i = begin; i < end; ++i)
                    out[i - begin] = boundsOf(i);
            }
            if (anyHidden)
                for (std::uint32_t i = begin; i < end; ++i)
                    if (hidden(lookOf(i)))
                        out[i - begin] = Box{};
        },
        cancel, threads, &places);
}

std::string Drawing::decodedText(const Entities& owner, std::size_t i) const {
    return decodeText(owner.bytesOf(i), encoding, owner.texts[i].isMText());
}

} // namespace quillet::drawing
