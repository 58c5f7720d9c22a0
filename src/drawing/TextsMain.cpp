// quillet-texts [--summary] DRAWING: prints every text the preview draws, one per line (see
// TextListing.h), without a display; --summary prints instead how many records of each kind
// the drawing keeps. Exit 1 with the message on standard error for a drawing it cannot read,
// 2 for a wrong command line.
#include "drawing/DrawingError.h"
#include "drawing/Reader.h"
#include "drawing/TextListing.h"
#include "platform/RunError.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

int main(int argc, char** argv) {
    const bool summary = argc == 3 && std::string_view(argv[1]) == "--summary";
    if ((argc != 2 && !summary) || argv[argc - 1][0] == '\0') {
        std::fputs("使い方: quillet-texts [--summary] 図面.dxf\n", stderr);
        return 2;
    }
    const char* path = argv[argc - 1];
    try {
        const auto drawing = quillet::drawing::readDrawing(path);
        if (drawing->truncated)
            std::fprintf(
                stderr,
                "%s: 図面が途中で終わっています (EOF がありません)。読めた分を表示します。\n",
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
                                        : quillet::drawing::textListing(*drawing);
        std::fwrite(listing.data(), 1, listing.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const quillet::drawing::DrawingError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", path, e.what());
    }
    return 1;
}
