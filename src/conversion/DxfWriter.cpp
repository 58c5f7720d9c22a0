#include "DxfWriter.h"

#include <algorithm>

namespace quillet::conversion {

void DxfWriter::putInPieces(std::string_view bytes) {
    while (!bytes.empty()) {
        if (room() == 0)
            flush();
        std::size_t n = std::min(room(), bytes.size());
        std::memcpy(pos_, bytes.data(), n);
        pos_ += n;
        bytes.remove_prefix(n);
    }
}

namespace {

char* append(char* at, std::string_view bytes) {
    std::memcpy(at, bytes.data(), bytes.size());
    return at + bytes.size();
}

// Copies a text of a few bytes without a library call: two overlapping moves cover it.
char* appendShort(char* at, std::string_view bytes) {
    const char* from = bytes.data();
    const std::size_t n = bytes.size();
    if (n > 16)
        return append(at, bytes);
    if (n >= 8) {
        std::memcpy(at, from, 8);
        std::memcpy(at + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(at, from, 4);
        std::memcpy(at + n - 4, from + n - 4, 4);
    } else if (n > 0) {
        at[0] = from[0];
        at[n / 2] = from[n / 2];
        at[n - 1] = from[n - 1];
    }
    return at + n;
}

} // namespace

void DxfWriter::Lines::keep(std::string_view before, std::int32_t number, std::string_view after) {
    // Both kinds of kept lines hold the longest number.
    static_assert(layout::kTextStart.size() + platform::kPaddedNumberMax + layout::kLineEnd.size() +
                      layout::kBeforeY.size() <=
                  sizeof bytes);
    static_assert(layout::kBeforeHeight.size() + platform::kPaddedNumberMax +
                      layout::kLineEnd.size() + layout::kBeforeText.size() <=
                  sizeof bytes);
    char* end = append(bytes, before);
    end = platform::formatPadded(number, end);
    end = append(end, layout::kLineEnd);
    end = append(end, after);
    size = static_cast<std::size_t>(end - bytes);
    value = number;
    valid = true;
}

void DxfWriter::finish() {
    flush();
    if (declared_)
        sink_.patch(kExtentsOffset, extents_.headerLines());
}

void DxfWriter::putTextEntity(std::int32_t x, std::int32_t y, std::int32_t height,
                              std::string_view text) {
    if (declared_)
        extents_.add(x, y, height, text.size());
    if (!head_.holds(x))
        head_.keep(layout::kTextStart, x, layout::kBeforeY);
    if (!middle_.holds(height))
        middle_.keep(layout::kBeforeHeight, height, layout::kBeforeText);
    // The kept lines are copied whole (a fixed size copies fastest); the room asked for
    // covers those full copies.
    const std::size_t need = sizeof head_.bytes + platform::kPaddedNumberMax +
                             layout::kLineEnd.size() + sizeof middle_.bytes + text.size() +
                             layout::kLineEnd.size() + layout::kStyleLines.size();
    if (room() < need) {
        put({head_.bytes, head_.size});
        PutDxfNumber(y);
        put({middle_.bytes, middle_.size});
        PutDxfLine(text);
        if (declared_)
            put(layout::kStyleLines);
        return;
    }
    char* at = pos_;
    std::memcpy(at, head_.bytes, sizeof head_.bytes);
    at += head_.size;
    at = platform::formatPadded(y, at);
    at = append(at, layout::kLineEnd);
    std::memcpy(at, middle_.bytes, sizeof middle_.bytes);
    at += middle_.size;
    at = appendShort(at, text);
    at = append(at, layout::kLineEnd);
    if (declared_)
        at = append(at, layout::kStyleLines);
    pos_ = at;
}

} // namespace quillet::conversion
