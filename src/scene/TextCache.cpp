// The text cache and the conversions between UTF-8 and UTF-16 it needs.
#include "TextCache.h"

#include "platform/TextEncoding.h"

#include <exception>

namespace quillet::scene {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Reads one well-formed UTF-8 character of s at i and moves i past it; returns -1 and moves i
// one byte on for a byte that starts none.
char32_t nextUtf8(std::string_view s, std::size_t& i) noexcept {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int more = 0;
    char32_t cp = 0, least = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        more = 1, cp = c & 0x1F, least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        more = 2, cp = c & 0x0F, least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        more = 3, cp = c & 0x07, least = 0x10000;
    } else {
        ++i;
        return char32_t(-1);
    }
    if (i + static_cast<std::size_t>(more) >= s.size()) {
        ++i;
        return char32_t(-1);
    }
    for (int k = 1; k <= more; ++k) {
        const unsigned char t = byte(i + static_cast<std::size_t>(k));
        if ((t & 0xC0) != 0x80) {
            ++i;
            return char32_t(-1);
        }
        cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return char32_t(-1);
    }
    i += static_cast<std::size_t>(more) + 1;
    return cp;
}

} // namespace

std::u16string utf16Of(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = nextUtf8(utf8, i);
        if (cp == char32_t(-1)) {
            out.push_back(kReplacement);
        } else if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string utf8Of(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        platform::text::appendUtf8(cp, out);
    }
    return out;
}

const std::u16string& TextCache::text(const drawing::Drawing& drawing, std::uint32_t block,
                                      std::uint32_t i) {
    const std::uint64_t key = (std::uint64_t{block} + 1) << 32 | i;
    if (auto it = texts_.find(key); it != texts_.end())
        return it->second;
    if (texts_.size() > kMostTexts)
        texts_.clear(); // what was on screen long ago
    const drawing::Entities& owner =
        block == kTopLevel ? drawing.entities : *drawing.entities.blocks[block].entities;
    std::u16string decoded;
    try {
        decoded = utf16Of(drawing.decodedText(owner, i));
    } catch (const std::exception&) {
        decoded = utf16Of(owner.bytesOf(i));
    }
    return texts_.emplace(key, std::move(decoded)).first->second;
}

} // namespace quillet::scene
