// UTF-8 and UTF-16 for the Win32 calls, by hand: the system's converter would turn a lone
// surrogate into U+FFFD and make the name it came from unreachable.
#include "WideText.h"

#include "platform/TextEncoding.h"

#include <windows.h>

namespace quillet::platform::win32 {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// The classic limit of a path, less room for a folder's own "\*.*" and the temporary name.
constexpr std::size_t kShortPathLimit = MAX_PATH - 40;

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

std::size_t nextUnits(std::string_view utf8, std::size_t& i, wchar_t out[2]) noexcept {
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(utf8[i + k]); };
    std::size_t length = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
        length = 1;
        cp = b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF && i + 1 < utf8.size() && isContinuation(at(1))) {
        length = 2;
        cp = (b0 & 0x1Fu) << 6 | (at(1) & 0x3Fu);
    } else if (b0 >= 0xE0 && b0 <= 0xEF && i + 2 < utf8.size() && isContinuation(at(1)) &&
               isContinuation(at(2)) && (b0 != 0xE0 || at(1) >= 0xA0)) {
        // Surrogates (ED A0..BF) are let through: they are the lone units of a name.
        length = 3;
        cp = (b0 & 0x0Fu) << 12 | (at(1) & 0x3Fu) << 6 | (at(2) & 0x3Fu);
    } else if (b0 >= 0xF0 && b0 <= 0xF4 && i + 3 < utf8.size() && isContinuation(at(1)) &&
               isContinuation(at(2)) && isContinuation(at(3)) && (b0 != 0xF0 || at(1) >= 0x90) &&
               (b0 != 0xF4 || at(1) <= 0x8F)) {
        length = 4;
        cp = (b0 & 0x07u) << 18 | (at(1) & 0x3Fu) << 12 | (at(2) & 0x3Fu) << 6 | (at(3) & 0x3Fu);
    }
    if (length == 0) {
        ++i;
        out[0] = kReplacement;
        return 1;
    }
    i += length;
    if (cp < 0x10000) {
        out[0] = static_cast<wchar_t>(cp);
        return 1;
    }
    cp -= 0x10000;
    out[0] = static_cast<wchar_t>(0xD800 + (cp >> 10));
    out[1] = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    return 2;
}

std::wstring toWide(std::string_view utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    wchar_t units[2];
    for (std::size_t i = 0; i < utf8.size();)
        wide.append(units, nextUnits(utf8, i, units));
    return wide;
}

std::string toUtf8(std::wstring_view wide) {
    std::string utf8;
    utf8.reserve(wide.size() * 3 / 2);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(wide[i + 1]) - 0xDC00);
            ++i;
        }
        // A lone surrogate goes as its own three bytes, so that the name stays reachable.
        text::appendUtf8(cp, utf8);
    }
    return utf8;
}

std::wstring systemPath(std::string_view utf8) {
    std::wstring wide = toWide(utf8);
    if (wide.size() < kShortPathLimit || wide.starts_with(L"\\\\?\\"))
        return wide;
    // The prefixed form is taken as it stands: made whole here, with "\" alone between parts.
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return wide;
    std::wstring full(needed, L'\0');
    const DWORD got = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed)
        return wide;
    full.resize(got);
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

} // namespace quillet::platform::win32
