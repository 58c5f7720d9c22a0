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

constexpr std::string_view kBeforeY = "\r\n 20\r\n";
constexpr std::string_view kAfterY = " 30\r\n0\r\n 40\r\n";
constexpr std::string_view kBeforeText = "\r\n  1\r\n";

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

void DxfWriter::refreshHead(std::int32_t x) {
    char* end = append(head_.bytes, kEntityStart);
    end = platform::formatPadded(x, end);
    end = append(end, kBeforeY);
    head_.size = static_cast<std::size_t>(end - head_.bytes);
    head_.value = x;
    head_.valid = true;
}

void DxfWriter::refreshMiddle(std::int32_t height) {
    char* end = append(middle_.bytes, kAfterY);
    end = platform::formatPadded(height, end);
    end = append(end, kBeforeText);
    middle_.size = static_cast<std::size_t>(end - middle_.bytes);
    middle_.value = height;
    middle_.valid = true;
}

void DxfWriter::putTextEntity(std::int32_t x, std::int32_t y, std::int32_t height,
                              std::string_view text) {
    if (!head_.valid || head_.value != x)
        refreshHead(x);
    if (!middle_.valid || middle_.value != height)
        refreshMiddle(height);
    // The kept lines are copied whole (a fixed size copies fastest); the room asked for
    // covers those full copies.
    const std::size_t need = sizeof head_.bytes + platform::kPaddedNumberMax + 2 +
                             sizeof middle_.bytes + text.size() + 2;
    if (room() < need) {
        put({head_.bytes, head_.size});
        PutDxfNumber(y);
        put({middle_.bytes, middle_.size});
        PutDxfLine(text);
        return;
    }
    char* at = pos_;
    std::memcpy(at, head_.bytes, sizeof head_.bytes);
    at += head_.size;
    at = platform::formatPadded(y, at);
    *at++ = '\r';
    *at++ = '\n';
    std::memcpy(at, middle_.bytes, sizeof middle_.bytes);
    at += middle_.size;
    at = appendShort(at, text);
    *at++ = '\r';
    *at++ = '\n';
    pos_ = at;
}

} // namespace quillet::conversion
