// Fuzz target: any bytes given to the drawing reader (text or binary) end in a drawing or in
// one of its errors, never in a crash, a hang or unbounded memory; what it reads can be
// indexed, its blocks expanded and its texts decoded. The lines it parses give the same
// entities fed a pair at a time, where our own texts never take the fast path.
#include "drawing/DrawingError.h"
#include "drawing/PairParser.h"
#include "drawing/Reader.h"
#include "drawing/TextListing.h"
#include "platform/RunError.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using quillet::drawing::Entities;
using quillet::drawing::PairParser;

bool sameEntities(const Entities& a, const Entities& b) {
    if (a.texts.size() != b.texts.size() || a.lines.size() != b.lines.size() ||
        a.polylines.size() != b.polylines.size() || a.arcs.size() != b.arcs.size() ||
        a.inserts.size() != b.inserts.size() || a.skipped != b.skipped)
        return false;
    for (std::size_t i = 0; i < a.texts.size(); ++i) {
        const auto &s = a.texts[i], &t = b.texts[i];
        if (s.x != t.x || s.y != t.y || s.height != t.height || s.angle != t.angle ||
            s.widthMilli != t.widthMilli || s.packed != t.packed ||
            a.textHighs[i] != b.textHighs[i] || a.bytesOf(i) != b.bytesOf(i))
            return false;
    }
    return true;
}

// Parses bytes as lines, and again as pairs of lines fed one at a time; aborts when both read
// the whole of it and disagree.
void compareWithPairs(std::string_view bytes) {
    std::string run(bytes);
    if (run.empty() || run.back() != '\n')
        run += '\n';
    const std::size_t size = run.size();
    run.append(quillet::drawing::kReadAhead, '\0');
    std::vector<std::string_view> lines;
    for (std::string_view rest(run.data(), size); !rest.empty();) {
        const std::size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        rest.remove_prefix(lf + 1);
    }
    Entities byLines, byPairs;
    PairParser lineParser(byLines), pairParser(byPairs);
    try {
        lineParser.parse(run.data(), run.data() + size);
    } catch (const quillet::drawing::DrawingError&) {
        return; // a line that is no group code: the pairs would be read differently
    }
    if (!lineParser.sawEnd() && lines.size() % 2)
        return; // a group code without its value at the end
    for (std::size_t i = 0; i + 1 < lines.size() && !pairParser.sawEnd(); i += 2)
        pairParser.feedPair(quillet::drawing::groupCode(lines[i]), lines[i + 1]);
    lineParser.finishFile();
    pairParser.finishFile();
    if (!sameEntities(byLines, byPairs))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    quillet::platform::MemorySource source(bytes);
    quillet::drawing::ReadOptions options;
    options.memoryLimit = 64 << 20;
    options.threads = 1;
    try {
        const auto drawing =
            quillet::drawing::readDrawing(source, static_cast<std::int64_t>(size), options);
        for (std::size_t i = 0; i < drawing->entities.texts.size() && i < 64; ++i)
            (void)drawing->decodedText(i);
        // Blocks expanded, bounded: a drawing may nest arrays of arrays.
        std::size_t placed = 0;
        quillet::drawing::forEachPlacedText(
            *drawing,
            [&](const quillet::drawing::PlacedText& p) {
                if (placed++ < 64)
                    (void)drawing->decodedText(*p.owner, p.index);
            },
            4096);
        std::size_t seen = 0;
        drawing->index().query(
            drawing->extents(), 0, [&](std::uint32_t id) { seen += drawing->boundsOf(id).empty(); },
            [](const quillet::drawing::NodeBox&) {});
    } catch (const quillet::drawing::DrawingError&) {
    } catch (const quillet::platform::RunError&) {
    }
    if (!bytes.starts_with("AutoCAD Binary DXF"))
        compareWithPairs(bytes);
    return 0;
}
