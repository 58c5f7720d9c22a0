// The vector exports' writer. Numbers go through std::to_chars: the same digits as printf's
// "%.2f", at a fraction of its cost, which tells in a drawing of millions of dots.
#include "SinkWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace quillet::scene {

SinkWriter::SinkWriter(platform::BlockSink& sink) : sink_(sink) {
    take(sink_.exchange({}));
}

void SinkWriter::take(std::span<char> block) noexcept {
    block_ = block;
    pos_ = block_.data();
}

void SinkWriter::flush() {
    const std::size_t n = used();
    take(sink_.exchange({block_.data(), n}));
    handed_ += n;
}

SinkWriter& SinkWriter::operator+=(std::string_view bytes) {
    while (bytes.size() > room()) {
        const std::size_t part = room();
        std::memcpy(pos_, bytes.data(), part);
        pos_ += part;
        bytes.remove_prefix(part);
        flush();
    }
    std::memcpy(pos_, bytes.data(), bytes.size());
    pos_ += bytes.size();
    return *this;
}

SinkWriter& SinkWriter::operator+=(char byte) {
    if (room() == 0)
        flush();
    *pos_++ = byte;
    return *this;
}

void SinkWriter::number(double v, int decimals) {
    // A trillion pixels is far past any device; the bound keeps every number short.
    constexpr double kFarthest = 1e12;
    v = std::isfinite(v) ? std::clamp(v, -kFarthest, kFarthest) : 0.0;
    char text[40];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed,
                                            std::clamp(decimals, 0, 6));
    std::size_t n = error == std::errc() ? static_cast<std::size_t>(end - text) : 0;
    if (std::memchr(text, '.', n)) {
        while (text[n - 1] == '0')
            --n;
        if (text[n - 1] == '.')
            --n;
    }
    const std::string_view s(text, n);
    *this += s == "-0" || s.empty() ? "0" : s;
}

void SinkWriter::integer(std::int64_t v) {
    char text[24];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v);
    *this += std::string_view(text, static_cast<std::size_t>(end - text));
    static_cast<void>(error);
}

void SinkWriter::hex(std::uint32_t v, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char text[8];
    const int n = std::clamp(digits, 1, 8);
    for (int k = n - 1; k >= 0; --k, v >>= 4)
        text[k] = kDigits[v & 15];
    *this += std::string_view(text, static_cast<std::size_t>(n));
}

} // namespace quillet::scene
