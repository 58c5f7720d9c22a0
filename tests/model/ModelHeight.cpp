#include "Model.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <map>

namespace quillet::model {

namespace {

constexpr int kOverflow = 6;
constexpr int kTypeMismatch = 13;

std::string utf8Of(unsigned codePoint) {
    std::string bytes;
    bytes += static_cast<char>(0xE0 | (codePoint >> 12));
    bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    return bytes;
}

// Every full-width form of printable ASCII, and the ideographic space, with its ASCII twin.
const std::map<std::string, char>& fullWidthForms() {
    static const std::map<std::string, char> forms = [] {
        std::map<std::string, char> table;
        for (unsigned ascii = 0x21; ascii <= 0x7E; ++ascii)
            table[utf8Of(0xFF01 + ascii - 0x21)] = static_cast<char>(ascii);
        table[utf8Of(0x3000)] = ' ';
        return table;
    }();
    return forms;
}

std::string halfWidth(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        auto form = fullWidthForms().find(std::string(text.substr(i, 3)));
        if (form != fullWidthForms().end()) {
            out += form->second;
            i += 3;
        } else {
            out += text[i];
            i += 1;
        }
    }
    return out;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool digit(char c) {
    return '0' <= c && c <= '9';
}

// Reads the number grammar into the form strtod takes; false when text is not a number.
bool plainForm(const std::string& text, const std::string& decimal, const std::string& group,
               std::string& plain) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    const std::string s = text.substr(first, last - first);
    std::size_t at = 0;
    auto startsHere = [&](const std::string& token) {
        return !token.empty() && s.compare(at, token.size(), token) == 0;
    };

    if (at < s.size() && (s[at] == '-' || s[at] == '+'))
        plain += s[at++] == '-' ? "-" : "";
    bool anyDigit = false;
    for (;;) {
        if (at < s.size() && digit(s[at])) {
            plain += s[at++];
            anyDigit = true;
        } else if (startsHere(decimal)) {
            break;
        } else if (anyDigit && startsHere(group)) {
            at += group.size(); // a group separator only after a digit, and it means nothing
        } else {
            break;
        }
    }
    if (startsHere(decimal)) {
        at += decimal.size();
        plain += '.';
        while (at < s.size() && digit(s[at])) {
            plain += s[at++];
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return false;
    if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
        ++at;
        plain += 'e';
        if (at < s.size() && (s[at] == '-' || s[at] == '+'))
            plain += s[at++] == '-' ? "-" : "";
        bool exponentDigit = false;
        while (at < s.size() && digit(s[at])) {
            plain += s[at++];
            exponentDigit = true;
        }
        if (!exponentDigit)
            return false;
    }
    return at == s.size();
}

} // namespace

Height readHeight(std::string_view text, std::string_view decimal, std::string_view group) {
    std::string plain;
    if (!plainForm(halfWidth(text), halfWidth(decimal), halfWidth(group), plain))
        return {0, kTypeMismatch};

    static const locale_t cLocale = ::newlocale(LC_NUMERIC_MASK, "C", locale_t{});
    errno = 0;
    const double value = ::strtod_l(plain.c_str(), nullptr, cLocale);
    const bool outOfRange = errno == ERANGE;
    if (std::isinf(value))
        return {0, kOverflow};
    double down = std::floor(value);
    // Too small to hold is still a number: just above or just below zero.
    if (outOfRange && value == 0)
        down = plain[0] == '-' ? -1 : 0;
    if (down < -32768 || down > 32767)
        return {0, kOverflow};
    return {static_cast<std::int16_t>(down), 0};
}

} // namespace quillet::model
