// Text decoding for display. Done when a text is shown, never while reading, so a drawing of
// millions of texts pays only for the ones on screen.
#include "TextDecoding.h"

#include "PairParser.h"
#include "platform/CodePages.h"
#include "platform/TextEncoding.h"

#include <cctype>

namespace quillet::drawing {

namespace cp = platform::codepage;

TextEncoding encodingOf(const HeaderInfo& header) {
    // AC1021 is R2007; versions compare as text since they share one form "AC10nn".
    if (header.acadVersion.size() == 6 && header.acadVersion.starts_with("AC") &&
        header.acadVersion >= "AC1021")
        return TextEncoding::Utf8;
    std::string page;
    for (char c : header.codePage)
        page += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (page == "UTF-8" || page == "UTF8")
        return TextEncoding::Utf8;
    // "ANSI_1251", "DOS866": the number is the page.
    std::string_view digits = page;
    if (digits.starts_with("ANSI_"))
        digits.remove_prefix(5);
    else if (digits.starts_with("DOS"))
        digits.remove_prefix(3);
    else
        return TextEncoding::Undeclared;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || number > 100000)
            return TextEncoding::Undeclared;
        number = number * 10 + (c - '0');
    }
    static constexpr int kKnown[] = {874,  932,  936,  949,  950, 1250, 1251, 1252, 1253, 1254,
                                     1255, 1256, 1257, 1258, 437, 850,  852,  855,  857,  860,
                                     861,  862,  863,  864,  865, 866,  869,  1361};
    for (int k : kKnown)
        if (k == number)
            return static_cast<TextEncoding>(number);
    return TextEncoding::Undeclared;
}

std::string specialCodes(std::string_view text) {
    if (text.find('%') == std::string_view::npos && text.find('^') == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '^' && i + 1 < text.size()) {
            const char n = text[i + 1];
            if (n == 'I' || n == 'J' || n == 'M' || n == ' ') {
                out += n == 'I' ? '\t' : n == ' ' ? '^' : '\n';
                ++i;
                continue;
            }
        }
        if (c == '%' && i + 2 < text.size() && text[i + 1] == '%') {
            const char n = text[i + 2];
            switch (n) {
            case 'c':
            case 'C':
                out += "\xC3\x98"; // Ø
                i += 2;
                continue;
            case 'd':
            case 'D':
                out += "\xC2\xB0"; // °
                i += 2;
                continue;
            case 'p':
            case 'P':
                out += "\xC2\xB1"; // ±
                i += 2;
                continue;
            case '%':
                out += '%';
                i += 2;
                continue;
            case 'u':
            case 'U':
            case 'o':
            case 'O':
            case 'k':
            case 'K':
                i += 2; // a line above, below or through: the text itself is unchanged
                continue;
            default:
                if (i + 4 < text.size() && std::isdigit(static_cast<unsigned char>(n)) &&
                    std::isdigit(static_cast<unsigned char>(text[i + 3])) &&
                    std::isdigit(static_cast<unsigned char>(text[i + 4]))) {
                    const int code =
                        (n - '0') * 100 + (text[i + 3] - '0') * 10 + (text[i + 4] - '0');
                    platform::text::appendUtf8(static_cast<char32_t>(code), out);
                    i += 4;
                    continue;
                }
                break;
            }
        }
        out += c;
    }
    return out;
}

std::string decodeMifEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                      : -1;
    };
    static constexpr int kPages[] = {0, 932, 950, 949, 1361, 936};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 8 <= text.size() && (text[i + 1] == 'M' || text[i + 1] == 'm') &&
            text[i + 2] == '+' && text[i + 3] >= '1' && text[i + 3] <= '5') {
            int value = 0;
            bool ok = true;
            for (int k = 4; k < 8; ++k) {
                const int h = hex(text[i + static_cast<std::size_t>(k)]);
                ok = ok && h >= 0;
                value = value * 16 + h;
            }
            if (ok) {
                const char pair[2] = {static_cast<char>(value >> 8),
                                      static_cast<char>(value & 0xFF)};
                out += cp::toUtf8(std::string_view(pair, 2), kPages[text[i + 3] - '0']);
                i += 7;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string decodeText(std::string_view bytes, TextEncoding encoding, bool mtext) {
    std::string utf8;
    if (!platform::text::hasHighByte(bytes)) {
        utf8.assign(bytes);
    } else {
        switch (encoding) {
        case TextEncoding::Utf8:
            utf8 = platform::text::isValidUtf8(bytes) ? std::string(bytes)
                                                      : cp::toUtf8(bytes, cp::CodePage::Cp1252);
            break;
        case TextEncoding::Undeclared:
            utf8 = platform::text::isValidUtf8(bytes) ? std::string(bytes)
                                                      : cp::toUtf8(bytes, cp::CodePage::Cp932);
            break;
        default:
            // A drawing saved as UTF-8 under an old code page's name is read as it is.
            utf8 = platform::text::isValidUtf8(bytes) && encoding != TextEncoding::Cp932
                       ? std::string(bytes)
                       : cp::toUtf8(bytes, static_cast<int>(encoding));
            break;
        }
    }
    // The formatting codes go after the code page (a code page 932 trail byte can be a
    // backslash or a brace) and before the escapes (an escaped backslash is no code).
    if (mtext)
        utf8 = plainMText(utf8);
    utf8 = specialCodes(utf8);
    if (utf8.find('\\') == std::string::npos)
        return utf8;
    if (utf8.find("\\M+") != std::string::npos || utf8.find("\\m+") != std::string::npos)
        utf8 = decodeMifEscapes(utf8);
    return platform::text::decodeUnicodeEscapes(utf8);
}

namespace {

bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// Returns where the number that starts at text[i] ends: digits, for a real also a sign, a
// point and an exponent ("+1.5", ".5", "2e-3"); i itself when no number starts there.
std::size_t numberEnd(std::string_view text, std::size_t i, bool real) noexcept {
    std::size_t k = i;
    if (real && k < text.size() && (text[k] == '+' || text[k] == '-'))
        ++k;
    const std::size_t digitsFrom = k;
    while (k < text.size() && isDigit(text[k]))
        ++k;
    bool digits = k > digitsFrom;
    if (real && k < text.size() && text[k] == '.') {
        const std::size_t point = k++;
        while (k < text.size() && isDigit(text[k]))
            ++k;
        if (k == point + 1 && !digits)
            return i; // a point alone is no number
        digits = true;
    }
    if (!digits)
        return i;
    if (real && k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
        std::size_t e = k + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        if (e < text.size() && isDigit(text[e])) {
            while (e < text.size() && isDigit(text[e]))
                ++e;
            k = e;
        }
    }
    return k;
}

} // namespace

std::string plainMText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{' || c == '}')
            continue;
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const char code = text[++i];
        switch (code) {
        case 'P':
        case 'X':
            out += '\n';
            break;
        case 'N':
            out += kColumnBreak;
            break;
        case '~':
            out += ' ';
            break;
        case '\\':
        case '{':
        case '}':
            out += code;
            break;
        case 'L':
        case 'l':
        case 'O':
        case 'o':
        case 'K':
        case 'k':
            break; // underline, overline, strike-through on and off
        case 'S': {
            // A stacked fraction "\Sup^down;" shows as "up/down".
            const std::size_t end = text.find(';', i + 1);
            std::string_view stack = text.substr(
                i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
            for (char s : stack)
                out += s == '^' || s == '#' ? '/' : s;
            i = end == std::string_view::npos ? text.size() : end;
            break;
        }
        case 'A':
        case 'C':
        case 'c':
        case 'H':
        case 'Q':
        case 'T':
        case 'W': {
            // A numeric code: its number, for \H, \W and \T a trailing "x" (a factor), then
            // ";" when it is there. Some programs leave the ";" out ("{\C1red}"): the text
            // goes on after the number, as CAD reads it. \A takes the one character after it.
            std::size_t end = i + 1;
            if (code == 'A')
                end = std::min(end + 1, text.size());
            else
                end = numberEnd(text, end, code != 'C' && code != 'c');
            if ((code == 'H' || code == 'W' || code == 'T') && end > i + 1 && end < text.size() &&
                text[end] == 'x')
                ++end;
            if (end < text.size() && text[end] == ';')
                ++end;
            i = end - 1;
            break;
        }
        case 'F':
        case 'f':
        case 'h':
        case 'q':
        case 't':
        case 'w':
        case 'p': {
            // Codes whose argument runs up to ';' (a font's name, a paragraph's settings).
            const std::size_t end = text.find(';', i + 1);
            i = end == std::string_view::npos ? text.size() : end;
            break;
        }
        case 'U':
        case 'u':
        case 'M':
        case 'm':
            out += '\\'; // "\U+XXXX" and "\M+nXXXX" are decoded afterwards
            out += code;
            break;
        default:
            out += code;
            break;
        }
    }
    return out;
}

} // namespace quillet::drawing
