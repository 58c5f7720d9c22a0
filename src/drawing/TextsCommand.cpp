// The text listing command, shared by the programs that offer it.
#include "TextsCommand.h"

#include "DrawingError.h"
#include "Reader.h"
#include "TextListing.h"

#include <exception>
#include <string>

namespace quillet::drawing {

int printTexts(const char* path, bool summary, std::FILE* out, std::FILE* err) {
    try {
        const auto drawing = readDrawing(path);
        if (drawing->truncated)
            std::fprintf(
                err, "%s: 図面が途中で終わっています (EOF がありません)。読めた分を表示します。\n",
                path);
        const auto& e = drawing->entities;
        const std::string listing = summary
                                        ? "texts " + std::to_string(e.texts.size()) + " lines " +
                                              std::to_string(e.lines.size()) + " arcs " +
                                              std::to_string(e.arcs.size()) + " polylines " +
                                              std::to_string(e.polylines.size()) + " inserts " +
                                              std::to_string(e.inserts.size()) + " blocks " +
                                              std::to_string(e.blocks.size()) + " truncated " +
                                              std::to_string(drawing->truncated) + "\n"
                                        : textListing(*drawing);
        std::fwrite(listing.data(), 1, listing.size(), out);
        return std::fflush(out) == 0 ? 0 : 1;
    } catch (const DrawingError& e) {
        std::fprintf(err, "%s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(err, "%s: %s\n", path, e.what());
    }
    return 1;
}

} // namespace quillet::drawing
