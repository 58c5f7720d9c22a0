// Counting, naming and joining entity arrays.
#include "Entities.h"

#include "platform/TextEncoding.h"

namespace quillet::drawing {

namespace {

// Renumbers the layers of every record of e (and of its blocks) by map.
void renumberLayers(Entities& e, const std::vector<std::uint16_t>& map) {
    auto fix = [&](Look& look) {
        if (look.layer < map.size())
            look.layer = map[look.layer];
    };
    for (std::size_t i = 0; i < e.texts.size(); ++i) {
        if (!e.texts[i].hasExtra())
            continue;
        TextExtra x = e.textExtra(i);
        fix(x.look);
        e.textBytes.overwrite(e.texts[i].offset(), &x, sizeof x);
    }
    for (std::size_t i = 0; i < e.lines.size(); ++i)
        fix(e.lines[i].look);
    for (std::size_t i = 0; i < e.arcs.size(); ++i)
        fix(e.arcs[i].look);
    for (std::size_t i = 0; i < e.polylines.size(); ++i)
        fix(e.polylines[i].look);
    for (std::size_t i = 0; i < e.inserts.size(); ++i)
        fix(e.inserts[i].look);
    for (DimensionDefinition& d : e.dimensions)
        fix(d.look);
    for (AttributeOwner& o : e.attributeOwners)
        if (o.layer < map.size())
            o.layer = map[o.layer];
    for (Block& b : e.blocks)
        renumberLayers(*b.entities, map);
}

} // namespace

std::size_t Entities::memoryBytes() const noexcept {
    std::size_t bytes = texts.memoryBytes() + textHighs.memoryBytes() + lines.memoryBytes() +
                        arcs.memoryBytes() + polylines.memoryBytes() + inserts.memoryBytes() +
                        vertices.memoryBytes() + textBytes.memoryBytes();
    for (const Block& b : blocks)
        bytes += b.entities->memoryBytes();
    return bytes;
}

TextExtra Entities::textExtra(std::size_t i) const noexcept {
    const TextRecord& t = texts[i];
    TextExtra e;
    if (!t.hasExtra()) {
        e.length = static_cast<std::uint32_t>(t.length());
        return e;
    }
    std::memcpy(&e, textBytes.view(t.offset(), sizeof e).data(), sizeof e);
    return e;
}

TextColumns Entities::textColumns(std::size_t i) const noexcept {
    TextColumns c;
    if (!texts[i].hasExtra() || !textExtra(i).columns)
        return c;
    std::memcpy(&c, textBytes.view(texts[i].offset() + sizeof(TextExtra), sizeof c).data(),
                sizeof c);
    return c;
}

void Entities::noteTextBytes(std::string_view bytes) noexcept {
    if (platform::text::hasHighByte(bytes))
        (platform::text::isValidUtf8(bytes) ? highUtf8 : highOther) = true;
}

std::uint16_t Entities::highsOf(std::string_view bytes, bool mtext) noexcept {
    if (mtext)
        return kWidthFromBytes;
    std::size_t highs = 0;
    for (const char c : bytes)
        highs += static_cast<unsigned char>(c) >= 0x80;
    return highsFor(bytes.size(), highs, bytes.find('\\') != std::string_view::npos);
}

bool sameName(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::uint16_t Entities::layerNumber(std::string_view name) {
    // Few layers, looked up from the last one found: entities of a layer come together.
    const std::size_t n = layers.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t at = (lastLayer_ + k) % n;
        if (layers[at].name == name) {
            lastLayer_ = at;
            return static_cast<std::uint16_t>(at);
        }
    }
    // CAD takes a layer's name in either case: an entity that writes it otherwise than the
    // table is still on the table's layer.
    for (std::size_t at = 0; at < n; ++at)
        if (sameName(layers[at].name, name)) {
            lastLayer_ = at;
            return static_cast<std::uint16_t>(at);
        }
    if (n >= 0xFFFF)
        return 0;
    layers.push_back({std::string(name.substr(0, 255))});
    lastLayer_ = n;
    return static_cast<std::uint16_t>(n);
}

void Entities::countNotDrawn(std::string_view kind) {
    auto it = notDrawn.find(kind);
    if (it != notDrawn.end()) {
        ++it->second;
        return;
    }
    // A file can name any number of odd kinds; past a few hundred they share one entry.
    constexpr std::size_t kMaxKinds = 256;
    std::string name = notDrawn.size() < kMaxKinds ? std::string(kind.substr(0, 64)) : "...";
    ++notDrawn[name];
}

void Entities::append(Entities&& other) {
    // Layers by name: other's numbers become this one's.
    std::vector<std::uint16_t> map(other.layers.size());
    bool same = true;
    for (std::size_t k = 0; k < other.layers.size(); ++k) {
        const Layer& l = other.layers[k];
        map[k] = layerNumber(l.name);
        Layer& mine = layers[map[k]];
        if (l.defined && !mine.defined)
            mine = l;
        same = same && map[k] == k;
    }
    if (!same)
        renumberLayers(other, map);
    // What waits for the blocks names records by number: theirs come after these.
    const auto firstText = static_cast<std::uint32_t>(texts.size());
    const auto firstInsert = static_cast<std::uint32_t>(inserts.size());
    for (DimensionDefinition& d : other.dimensions) {
        if (d.insert != DimensionDefinition::kNone)
            d.insert += firstInsert;
        dimensions.push_back(std::move(d));
    }
    for (MultiLeaderContent& c : other.leaderContents) {
        c.insert += firstInsert;
        leaderContents.push_back(std::move(c));
    }
    for (AttributeOwner& o : other.attributeOwners) {
        o.text += firstText;
        attributeOwners.push_back(o);
    }
    other.dimensions.clear();
    other.leaderContents.clear();
    other.attributeOwners.clear();
    // Offsets move as the records are copied: one pass over them, not two.
    const std::uint64_t shift = textBytes.append(std::move(other.textBytes));
    texts.append(std::move(other.texts), [shift](TextRecord& t) { t.packed += shift; });
    textHighs.append(std::move(other.textHighs));
    lines.append(std::move(other.lines));
    arcs.append(std::move(other.arcs));
    inserts.append(std::move(other.inserts), [shift](InsertRecord& r) { r.name += shift; });
    const std::uint64_t firstVertex = vertices.size();
    polylines.append(std::move(other.polylines),
                     [firstVertex](PolylineRecord& p) { p.first += firstVertex; });
    vertices.append(std::move(other.vertices));
    for (Block& b : other.blocks)
        blocks.push_back(std::move(b));
    other.blocks.clear();
    for (const auto& [kind, count] : other.notDrawn)
        notDrawn[kind] += count;
    skipped += other.skipped;
    textAnchors.add(other.textAnchors);
    highUtf8 = highUtf8 || other.highUtf8;
    highOther = highOther || other.highOther;
    other.notDrawn.clear();
    other.skipped = 0;
}

} // namespace quillet::drawing
