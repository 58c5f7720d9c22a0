// The code page conversions on Windows' own tables (WideCharToMultiByte, MultiByteToWideChar).
// Best fit is off: a character code page 932 lacks is reported missing, not replaced by a
// look-alike. A few characters are looked up first, by the table below.
#include "platform/CodePages.h"

#include "WideText.h"
#include "platform/Cp932.h"

#include <array>
#include <windows.h>

namespace quillet::platform::codepage {

namespace {

struct Variant {
    char16_t character;
    std::uint16_t code;
};

// Characters of JIS X 0208 and 0201 that Windows' table gives other code points from the ones
// the rest of the world uses (〜 is U+301C elsewhere, U+FF5E on Windows). Text typed on
// another system names the same character by them; iconv's CP932 takes them too, so a
// drawing holds the same bytes from either build.
constexpr std::array kVariants{
    Variant{0x00A2, 0x8191}, // ¢
    Variant{0x00A3, 0x8192}, // £
    Variant{0x00A5, 0x005C}, // ¥, the byte 0x5C of JIS X 0201
    Variant{0x00AC, 0x81CA}, // ¬
    Variant{0x2014, 0x815C}, // — (Windows: U+2015)
    Variant{0x2016, 0x8161}, // ‖ (Windows: U+2225)
    Variant{0x203E, 0x007E}, // ‾, the byte 0x7E of JIS X 0201
    Variant{0x2212, 0x817C}, // − (Windows: U+FF0D)
    Variant{0x301C, 0x8160}, // 〜 (Windows: U+FF5E)
};

// The five bytes code page 1252 leaves undefined. Windows hands them on as C1 controls, which
// is its best fit, not a character of the code page.
bool isUndefinedIn1252(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

UINT windowsPage(CodePage page) {
    return page == CodePage::Cp932 ? 932 : 1252;
}

// Decodes bytes exactly into out; false when a byte belongs to no character.
bool decodeAll(std::string_view bytes, CodePage page, std::string& out) {
    if (bytes.empty())
        return true;
    if (page == CodePage::Cp1252)
        for (char c : bytes)
            if (isUndefinedIn1252(static_cast<unsigned char>(c)))
                return false;
    const int size = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(windowsPage(page), MB_ERR_INVALID_CHARS, bytes.data(),
                                            size, nullptr, 0);
    if (units <= 0)
        return false;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(windowsPage(page), MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(),
                          units);
    out += win32::toUtf8(wide);
    return true;
}

} // namespace

std::optional<std::uint16_t> cp932Of(char32_t cp) {
    if (cp >= 0x10000 || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    for (const Variant& v : kVariants)
        if (v.character == cp)
            return v.code;
    const wchar_t wide = static_cast<wchar_t>(cp);
    char out[2];
    BOOL usedDefault = FALSE;
    const int n =
        ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, out, 2, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    if (n == 1)
        return static_cast<unsigned char>(out[0]);
    return static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                      static_cast<unsigned char>(out[1]));
}

std::string toUtf8(std::string_view bytes, CodePage page) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    if (decodeAll(bytes, page, out))
        return out;
    // Character by character: what has none becomes U+FFFD, one byte at a time.
    out.clear();
    for (std::size_t i = 0; i < bytes.size();) {
        const bool pair = page == CodePage::Cp932 &&
                          cp932::isLeadByte(static_cast<unsigned char>(bytes[i])) &&
                          i + 1 < bytes.size();
        const std::size_t length = pair ? 2 : 1;
        if (decodeAll(bytes.substr(i, length), page, out)) {
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::optional<std::string> toUtf8Exactly(std::string_view bytes, CodePage page) {
    std::string out;
    if (!decodeAll(bytes, page, out))
        return std::nullopt;
    return out;
}

std::string toUtf8(std::string_view bytes, int windowsPage) {
    if (windowsPage == 932)
        return toUtf8(bytes, CodePage::Cp932);
    if (windowsPage == 1252)
        return toUtf8(bytes, CodePage::Cp1252);
    std::string out;
    const UINT page = static_cast<UINT>(windowsPage);
    // Character by character where the whole refuses: a lead byte takes its trail along.
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length =
            ::IsDBCSLeadByteEx(page, static_cast<BYTE>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        const int size = static_cast<int>(i == 0 ? bytes.size() : length);
        const int units =
            ::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data() + i, size, nullptr, 0);
        if (units <= 0) {
            if (i == 0 && size != static_cast<int>(length)) {
                // Retry the first character alone.
                const int one = ::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(),
                                                      static_cast<int>(length), nullptr, 0);
                if (one > 0) {
                    std::wstring wide(static_cast<std::size_t>(one), L'\0');
                    ::MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(length),
                                          wide.data(), one);
                    out += win32::toUtf8(wide);
                    i += length;
                    continue;
                }
            }
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        std::wstring wide(static_cast<std::size_t>(units), L'\0');
        ::MultiByteToWideChar(page, 0, bytes.data() + i, size, wide.data(), units);
        out += win32::toUtf8(wide);
        i += static_cast<std::size_t>(size);
    }
    return out;
}

} // namespace quillet::platform::codepage
