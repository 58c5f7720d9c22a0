// quillet-texts [--summary] DRAWING: prints every text the preview draws, one per line (see
// TextListing.h), without a display; --summary prints instead how many records of each kind
// the drawing keeps. Exit 1 with the message on standard error for a drawing it cannot read,
// 2 for a wrong command line.
#include "drawing/TextsCommand.h"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    const bool summary = argc == 3 && std::string_view(argv[1]) == "--summary";
    if ((argc != 2 && !summary) || argv[argc - 1][0] == '\0') {
        std::fputs("使い方: quillet-texts [--summary] 図面.dxf\n", stderr);
        return 2;
    }
    return quillet::drawing::printTexts(argv[argc - 1], summary, stdout, stderr);
}
