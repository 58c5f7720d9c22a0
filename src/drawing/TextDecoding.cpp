// Text decoding for display. Done when a text is shown, never while reading, so a drawing of
// millions of texts pays only for the ones on screen.
#include "TextDecoding.h"

#include "PairParser.h"
#include "platform/CodePages.h"
#include "platform/TextEncoding.h"

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
    if (page == "ANSI_932" || page == "DOS932")
        return TextEncoding::Cp932;
    if (page.starts_with("ANSI_125") || page == "ANSI_1252" || page == "DOS437" || page == "DOS850")
        return TextEncoding::Cp1252;
    if (page == "UTF-8" || page == "UTF8")
        return TextEncoding::Utf8;
    return TextEncoding::Undeclared;
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
        case TextEncoding::Cp932:
            utf8 = cp::toUtf8(bytes, cp::CodePage::Cp932);
            break;
        case TextEncoding::Cp1252:
            utf8 = cp::toUtf8(bytes, cp::CodePage::Cp1252);
            break;
        case TextEncoding::Undeclared:
            utf8 = platform::text::isValidUtf8(bytes) ? std::string(bytes)
                                                      : cp::toUtf8(bytes, cp::CodePage::Cp932);
            break;
        }
    }
    // The formatting codes go after the code page (a code page 932 trail byte can be a
    // backslash or a brace) and before the escapes (an escaped backslash is no code).
    if (mtext)
        utf8 = plainMText(utf8);
    if (utf8.find('\\') == std::string::npos)
        return utf8;
    return platform::text::decodeUnicodeEscapes(utf8);
}

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
        case 'F':
        case 'f':
        case 'H':
        case 'h':
        case 'Q':
        case 'q':
        case 'T':
        case 't':
        case 'W':
        case 'w':
        case 'p': {
            // Codes with an argument up to ';'.
            const std::size_t end = text.find(';', i + 1);
            i = end == std::string_view::npos ? text.size() : end;
            break;
        }
        case 'U':
        case 'u':
            out += '\\'; // "\U+XXXX" is decoded afterwards
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
