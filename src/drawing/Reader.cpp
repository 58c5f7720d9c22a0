// The reading loop: blocks of the file into a buffer, whole lines to the pair parser, the
// last partial line carried over. Memory is the buffer and what the drawing keeps.
#include "Reader.h"

#include "BlockReader.h"
#include "DrawingError.h"

#include "platform/InputFile.h"
#include "platform/LargeBlocks.h"
#include "platform/RunError.h"

#include <cstring>

namespace quillet::drawing {

namespace {

constexpr std::string_view kBinaryMark = "AutoCAD Binary DXF";

std::string_view trimmedLine(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Takes the next line of s (ended by LF, or the rest); false when s is empty.
bool takeLine(std::string_view& s, std::string_view& line) noexcept {
    if (s.empty())
        return false;
    const std::size_t lf = s.find('\n');
    line = s.substr(0, lf);
    s.remove_prefix(lf == std::string_view::npos ? s.size() : lf + 1);
    return true;
}

} // namespace

FileKind kindOf(std::string_view start) noexcept {
    if (start.starts_with(kBinaryMark))
        return FileKind::BinaryDrawing;
    if (start.starts_with("\xEF\xBB\xBF"))
        start.remove_prefix(3);
    std::string_view code, value;
    // Comments (999) may come first; then the first section.
    for (int pairs = 0; pairs < 16; ++pairs) {
        if (!takeLine(start, code) || !takeLine(start, value))
            return FileKind::NotDrawing;
        code = trimmedLine(code);
        if (code == "999")
            continue;
        return code == "0" && trimmedLine(value) == "SECTION" ? FileKind::Drawing
                                                              : FileKind::NotDrawing;
    }
    return FileKind::NotDrawing;
}

std::string refusal(FileKind kind) {
    switch (kind) {
    case FileKind::Drawing:
    case FileKind::BinaryDrawing:
        return {}; // both forms are read
    case FileKind::NotDrawing:
        break;
    }
    return "DXF 図面ではありません (最初のグループが 0 SECTION ではありません)。";
}

std::string readStart(const std::string& path, std::size_t max) {
    platform::InputFile file(path);
    std::string start(max, '\0');
    std::size_t got = 0;
    while (got < max) {
        const std::size_t n = file.read(start.data() + got, max - got);
        if (n == 0)
            break;
        got += n;
    }
    start.resize(got);
    return start;
}

std::unique_ptr<Drawing> readDrawing(const std::string& path, const ReadOptions& options) {
    platform::InputFile file(path);
    const std::int64_t total = file.size().value_or(0);
    try {
        return readDrawing(file, total, options);
    } catch (const DrawingError& error) {
        throw error.withPath(path);
    } catch (const platform::RunError& error) {
        throw error.withContext(path, 0);
    }
}

std::unique_ptr<Drawing> readDrawing(platform::ByteSource& source, std::int64_t total,
                                     const ReadOptions& options) {
    auto drawing = std::make_unique<Drawing>();
    // The blocks the reader's pieces gave back are not kept past reading.
    struct Release {
        ~Release() { platform::releaseBlocks(); }
    } release;
    readEntities(source, total, options, *drawing);
    platform::releaseBlocks();
    drawing->buildIndex(options.cancel, options.threads);
    return drawing;
}

} // namespace quillet::drawing
