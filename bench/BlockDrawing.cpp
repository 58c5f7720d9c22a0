// The block drawing: a zigzag of lines in a 100 x 100 block, the inserts side by side in rows
// of a hundred.
#include "BlockDrawing.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace quillet::bench {

namespace {

struct CloseFile {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

} // namespace

void writeBlockDrawing(const std::string& path, std::int64_t lines, std::int64_t inserts) {
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw std::runtime_error("cannot create " + path);
    std::FILE* f = file.get();
    std::fputs("  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nZIGZAG\n 70\n0\n 10\n0\n 20\n0\n", f);
    for (std::int64_t i = 0; i < lines; ++i) {
        const double x = static_cast<double>(i % 100), y = static_cast<double>(i / 100 % 100);
        std::fprintf(f, "  0\nLINE\n  8\n0\n 10\n%g\n 20\n%g\n 11\n%g\n 21\n%g\n", x, y, x + 1,
                     y + (i % 2 ? -1 : 1));
    }
    std::fputs("  0\nENDBLK\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n", f);
    for (std::int64_t i = 0; i < inserts; ++i)
        std::fprintf(f, "  0\nINSERT\n  8\n0\n  2\nZIGZAG\n 10\n%lld\n 20\n%lld\n",
                     static_cast<long long>(i % 100 * 110), static_cast<long long>(i / 100 * 110));
    std::fputs("  0\nENDSEC\n  0\nEOF\n", f);
    if (std::fflush(f) != 0 || std::ferror(f))
        throw std::runtime_error("cannot write " + path);
}

} // namespace quillet::bench
