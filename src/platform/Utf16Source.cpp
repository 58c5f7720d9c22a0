#include "Utf16Source.h"

#include "TextEncoding.h"

#include <algorithm>
#include <cstring>

namespace quillet::platform {

namespace {

constexpr std::size_t kBlock = 64 * 1024;
constexpr char kNoCharacter = '\xFF';

} // namespace

bool Utf16Source::decodeMore() {
    if (ended_)
        return false;
    const std::size_t kept = raw_.size();
    raw_.resize(kept + kBlock);
    const std::size_t got = source_.read(raw_.data() + kept, kBlock);
    raw_.resize(kept + got);
    std::size_t i = 0;
    if (!markSkipped_) {
        if (raw_.size() < 2 && got != 0)
            return true; // the mark arrives in pieces
        i = std::min<std::size_t>(2, raw_.size());
        markSkipped_ = true;
    }
    pending_.clear();
    served_ = 0;
    auto unitAt = [&](std::size_t at) {
        const auto a = static_cast<unsigned char>(raw_[at]);
        const auto b = static_cast<unsigned char>(raw_[at + 1]);
        return static_cast<char32_t>(bigEndian_ ? a << 8 | b : b << 8 | a);
    };
    for (; i + 2 <= raw_.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 4 > raw_.size()) {
                if (got != 0)
                    break; // its partner comes with the next block
                pending_ += kNoCharacter;
                continue;
            }
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text::appendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), pending_);
                i += 2;
            } else {
                pending_ += kNoCharacter;
            }
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            pending_ += kNoCharacter;
        } else {
            text::appendUtf8(unit, pending_);
        }
    }
    raw_.erase(0, i);
    if (got == 0) {
        if (!raw_.empty())
            pending_ += kNoCharacter; // an odd byte at the end
        raw_.clear();
        ended_ = true;
    }
    return !pending_.empty() || !ended_;
}

std::size_t Utf16Source::read(char* into, std::size_t max) {
    while (served_ == pending_.size())
        if (!decodeMore())
            return 0;
    const std::size_t n = std::min(max, pending_.size() - served_);
    std::memcpy(into, pending_.data() + served_, n);
    served_ += n;
    return n;
}

} // namespace quillet::platform
