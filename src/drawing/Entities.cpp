// Counting and joining entity arrays.
#include "Entities.h"

namespace quillet::drawing {

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
    const std::uint64_t shift = textBytes.append(std::move(other.textBytes));
    if (shift)
        for (std::size_t i = 0; i < other.texts.size(); ++i)
            other.texts[i].packed += shift;
    texts.append(std::move(other.texts));
    lines.append(std::move(other.lines));
    arcs.append(std::move(other.arcs));
    const std::uint64_t firstVertex = vertices.size();
    if (firstVertex)
        for (std::size_t i = 0; i < other.polylines.size(); ++i)
            other.polylines[i].first += firstVertex;
    polylines.append(std::move(other.polylines));
    vertices.append(std::move(other.vertices));
    for (const auto& [kind, count] : other.notDrawn)
        notDrawn[kind] += count;
    skipped += other.skipped;
    other.notDrawn.clear();
    other.skipped = 0;
}

} // namespace quillet::drawing
