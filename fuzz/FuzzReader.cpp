// Fuzz target: any bytes given to the drawing reader (text or binary) end in a drawing or in
// one of its errors, never in a crash, a hang or unbounded memory; what it reads can be
// indexed, its blocks expanded and its texts decoded.
#include "drawing/DrawingError.h"
#include "drawing/Reader.h"
#include "drawing/TextListing.h"
#include "platform/RunError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

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
    return 0;
}
