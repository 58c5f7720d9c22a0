// quillet-texts DRAWING: prints every text the preview draws, one per line (see
// TextListing.h), without a display. Exit 1 with the message on standard error for a drawing
// it cannot read, 2 for a wrong command line.
#include "drawing/DrawingError.h"
#include "drawing/Reader.h"
#include "drawing/TextListing.h"
#include "platform/RunError.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fputs("使い方: quillet-texts 図面.dxf\n", stderr);
        return 2;
    }
    try {
        const auto drawing = quillet::drawing::readDrawing(argv[1]);
        if (drawing->truncated)
            std::fprintf(
                stderr,
                "%s: 図面が途中で終わっています (EOF がありません)。読めた分を表示します。\n",
                argv[1]);
        const std::string listing = quillet::drawing::textListing(*drawing);
        std::fwrite(listing.data(), 1, listing.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const quillet::drawing::DrawingError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
    }
    return 1;
}
