// The text listing command, shared by the programs that offer it.
#include "TextsCommand.h"

#include "DrawingError.h"
#include "Reader.h"
#include "Shortfall.h"
#include "TextListing.h"

#include <exception>
#include <string>
#include <vector>

namespace quillet::drawing {

namespace {

std::string summaryOf(const Drawing& drawing) {
    const auto& e = drawing.entities;
    return "texts " + std::to_string(e.texts.size()) + " lines " + std::to_string(e.lines.size()) +
           " arcs " + std::to_string(e.arcs.size()) + " polylines " +
           std::to_string(e.polylines.size()) + " inserts " + std::to_string(e.inserts.size()) +
           " blocks " + std::to_string(e.blocks.size()) + " truncated " +
           std::to_string(drawing.truncated) + "\n";
}

} // namespace

int printTexts(const char* path, bool summary, std::FILE* out, std::FILE* err,
               std::uint64_t limit) {
    try {
        const auto drawing = readDrawing(path);
        if (drawing->truncated)
            std::fprintf(
                err, "%s: 図面が途中で終わっています (EOF がありません)。読めた分を表示します。\n",
                path);
        if (summary) {
            const std::string text = summaryOf(*drawing);
            std::fwrite(text.data(), 1, text.size(), out);
            return std::fflush(out) == 0 ? 0 : 1;
        }
        bool written = true;
        const ListingEnd end = writeTextListing(
            *drawing,
            [&](std::string_view chunk) {
                written =
                    written && std::fwrite(chunk.data(), 1, chunk.size(), out) == chunk.size();
            },
            limit);
        if (std::fflush(out) != 0 || !written)
            return 1;
        // A script can tell a listing with texts left out from a whole one: each is said, and
        // the status is its own.
        std::vector<std::string> notes = shortfallNotes(*drawing, end.tooDeep);
        if (end.limitReached)
            notes.push_back(listingLimitNote(limit));
        for (const std::string& note : notes)
            std::fprintf(err, "%s: %s。\n", path, note.c_str());
        return notes.empty() ? 0 : kListingCutShort;
    } catch (const DrawingError& e) {
        std::fprintf(err, "%s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(err, "%s: %s\n", path, e.what());
    }
    return 1;
}

} // namespace quillet::drawing
