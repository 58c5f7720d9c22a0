#include "Model.h"

#include <array>
#include <iconv.h>
#include <optional>
#include <vector>

namespace quillet::model {

namespace {

constexpr int kOverflow = 6;
constexpr int kInvalidCall = 5;

// Thrown inside the model when a rule ends the run; carries no data.
struct Overflow {};
struct NotText {};

void mustFit16(std::int64_t n) {
    if (n < -32768 || n > 32767)
        throw Overflow{};
}

void mustFit32(std::int64_t n) {
    if (n < -2147483648LL || n > 2147483647LL)
        throw Overflow{};
}

std::string withoutByteOrderMark(std::string_view file) {
    if (file.substr(0, 3) == "\xEF\xBB\xBF")
        file.remove_prefix(3);
    return std::string(file);
}

// CR, LF and CR LF each end a line; the last line needs no ending.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    bool pending = false; // current holds a line that has not ended yet
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending)
        lines.push_back(current);
    return lines;
}

bool isLeadByte(unsigned char b) {
    return (0x81 <= b && b <= 0x9F) || (0xE0 <= b && b <= 0xFC);
}

// Splits a line into its characters, front to back. A lead byte and the byte after it are one
// character, except that a comma always stands alone: it is the field separator.
std::vector<std::string> splitCharacters(const std::string& line) {
    std::vector<std::string> characters;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t width = 1;
        if (isLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size() &&
            line[i + 1] != ',')
            width = 2;
        characters.push_back(line.substr(i, width));
        i += width;
    }
    return characters;
}

// The length limit counts a lead byte and whatever byte follows it as one character.
std::int64_t countCharacters(const std::string& line) {
    std::int64_t count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        bool pair = isLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size();
        i += pair ? 2 : 1;
        ++count;
    }
    return count;
}

// The fields of a line in the order they stand, empty ones included.
std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (const std::string& character : splitCharacters(line)) {
        if (character == ",")
            fields.emplace_back();
        else
            fields.back() += character;
    }
    return fields;
}

std::string paddedNumber(std::int64_t value) {
    std::string digits;
    std::int64_t magnitude = value < 0 ? -value : value;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude > 0);
    return (value < 0 ? "-" : " ") + digits + " ";
}

class Drawing {
  public:
    explicit Drawing(std::int16_t height, bool declared = false)
        : height_(height), declared_(declared) {}

    void line(std::string_view text) {
        bytes += text;
        bytes += "\r\n";
    }

    // The four closing lines.
    void close() {
        line("  0");
        line("ENDSEC");
        line("  0");
        line("EOF");
    }

    void emptyLine() {
        itemNo_ = 0;
        mustFit16(blockNo_ + 1);
        blockNo_ += 1;
    }

    void textLine(const std::string& text) {
        if (countCharacters(text) > 32767)
            throw Overflow{};
        fieldsOf(text);
    }

    // A line whose length was judged already, in its own characters.
    void fieldsOf(const std::string& text) {
        std::vector<std::string> fields = splitFields(text);
        for (auto field = fields.rbegin(); field != fields.rend(); ++field)
            if (!field->empty())
                placeText(*field);
    }

    std::string bytes;
    std::int64_t placed = 0;

    // Writes the texts' extents over the widest ones in the declared drawing's header.
    void nameExtents() {
        const std::string widest = "  9\r\n$EXTMIN\r\n 10\r\n-1073741824 \r\n 20\r\n"
                                   "-2147516416 \r\n 30\r\n0.0\r\n  9\r\n$EXTMAX\r\n 10\r\n"
                                   " 1073741823 \r\n 20\r\n 2147516415 \r\n 30\r\n0.0\r\n";
        const std::size_t at = bytes.find(widest);
        if (!declared_ || at == std::string::npos)
            return;
        auto field = [](std::int64_t n) {
            std::string text = std::to_string(n);
            return std::string(11 - text.size(), ' ') + text + " ";
        };
        std::int64_t minX = 0, minY = 0, maxX = 0, maxY = 0;
        if (!boxes_.empty()) {
            minX = minY = INT64_MAX;
            maxX = maxY = INT64_MIN;
            for (const auto& [left, bottom, right, top] : boxes_) {
                minX = std::min(minX, left);
                minY = std::min(minY, bottom);
                maxX = std::max(maxX, right);
                maxY = std::max(maxY, top);
            }
            minX = std::max<std::int64_t>(minX, -1073741824);
            maxX = std::min<std::int64_t>(maxX, 1073741823);
            minY = std::max<std::int64_t>(minY, -2147516416);
            maxY = std::min<std::int64_t>(maxY, 2147516415);
        }
        maxX = std::max(maxX, minX + 1);
        maxY = std::max(maxY, minY + 1);
        bytes.replace(at, widest.size(),
                      "  9\r\n$EXTMIN\r\n 10\r\n" + field(minX) + "\r\n 20\r\n" + field(minY) +
                          "\r\n 30\r\n0.0\r\n  9\r\n$EXTMAX\r\n 10\r\n" + field(maxX) +
                          "\r\n 20\r\n" + field(maxY) + "\r\n 30\r\n0.0\r\n");
    }

  private:
    // Each text's box: n bytes at height h reach n x |h| right and |h| up from where it
    // stands, and as far the other way too at a negative height.
    void addBox(std::int64_t x, std::int64_t y, std::size_t n) {
        const std::int64_t size = height_ < 0 ? -height_ : height_;
        const std::int64_t width = size * static_cast<std::int64_t>(n);
        boxes_.push_back(
            {height_ < 0 ? x - width : x, height_ < 0 ? y - size : y, x + width, y + size});
    }

    void placeText(const std::string& text) {
        line("  0");
        line("TEXT");
        line("  8");
        line("0");
        line(" 10");
        std::int64_t x = std::int64_t{blockNo_} * height_;
        mustFit16(x);
        x *= 10;
        mustFit16(x);
        line(paddedNumber(x));
        line(" 20");
        std::int64_t y = std::int64_t{height_} * itemNo_;
        mustFit32(y);
        y = -y;
        mustFit32(y);
        y *= 2;
        mustFit32(y);
        line(paddedNumber(y));
        line(" 30");
        line("0");
        line(" 40");
        line(paddedNumber(height_));
        line("  1");
        line(text);
        if (declared_) {
            line("  7");
            line("KST32B");
            addBox(x, y, text.size());
        }
        mustFit32(std::int64_t{itemNo_} + 1);
        itemNo_ += 1;
        placed += 1;
    }

    std::int64_t height_;
    bool declared_;
    std::vector<std::array<std::int64_t, 4>> boxes_;
    std::int64_t itemNo_ = 0;
    std::int64_t blockNo_ = 0;
};

bool startsWith(std::string_view file, std::string_view mark) {
    return file.substr(0, mark.size()) == mark;
}

bool markedUtf16(std::string_view file) {
    return startsWith(file, "\xFF\xFE") || startsWith(file, "\xFE\xFF");
}

} // namespace

Conversion convert(std::string_view file, std::int16_t height) {
    Drawing drawing(height);
    Conversion result;
    // The classic drawing holds the input's bytes, and UTF-16's are no text it could hold.
    if (markedUtf16(file)) {
        result.error = kInvalidCall;
        return result;
    }
    try {
        drawing.line("  0");
        drawing.line("SECTION");
        drawing.line("  2");
        drawing.line("ENTITIES");
        for (const std::string& line : splitLines(withoutByteOrderMark(file))) {
            if (line.empty())
                drawing.emptyLine();
            else
                drawing.textLine(line);
        }
        drawing.close();
    } catch (const Overflow&) {
        result.error = kOverflow;
    }
    result.bytes = std::move(drawing.bytes);
    result.placed = drawing.placed;
    return result;
}

namespace {

// A character of UTF-8 at text[i], read the long way: its value from the lead byte and the
// continuation bytes, then judged by the value. Returns nothing for what is no character.
std::optional<char32_t> utf8CharacterAt(const std::string& text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int more;
    char32_t value;
    if (lead < 0x80) {
        more = 0;
        value = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        more = 1;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3;
        value = lead & 0x07;
    } else {
        return std::nullopt;
    }
    for (int k = 1; k <= more; ++k) {
        if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return std::nullopt;
        value = value << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (value < least[more] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    i += static_cast<std::size_t>(more) + 1;
    return value;
}

std::optional<std::vector<char32_t>> utf8Characters(const std::string& text) {
    std::vector<char32_t> characters;
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<char32_t> c = utf8CharacterAt(text, i);
        if (!c)
            return std::nullopt;
        characters.push_back(*c);
    }
    return characters;
}

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    std::string tail;
    char32_t rest = c;
    char32_t leadBits = 0x3F;
    unsigned char lead = 0x80;
    while (rest > leadBits) {
        tail.insert(tail.begin(), static_cast<char>(0x80 | (rest & 0x3F)));
        rest >>= 6;
        leadBits >>= 1;
        lead = static_cast<unsigned char>(lead >> 1 | 0x80);
    }
    out += static_cast<char>(lead | rest);
    out += tail;
}

// UTF-16 after its mark as UTF-8; what is no character becomes the byte 0xFF, no UTF-8.
std::string utf16AsUtf8(std::string_view file) {
    const bool big = startsWith(file, "\xFE\xFF");
    std::vector<char32_t> units;
    std::size_t i = 2;
    for (; i + 1 < file.size(); i += 2) {
        const auto a = static_cast<unsigned char>(file[i]);
        const auto b = static_cast<unsigned char>(file[i + 1]);
        units.push_back(big ? (a << 8 | b) : (b << 8 | a));
    }
    std::string out;
    for (std::size_t u = 0; u < units.size(); ++u) {
        const char32_t unit = units[u];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && u + 1 < units.size() && units[u + 1] >= 0xDC00 && units[u + 1] <= 0xDFFF) {
            appendUtf8(0x10000 + (unit - 0xD800) * 0x400 + (units[u + 1] - 0xDC00), out);
            ++u;
        } else if (high || low) {
            out += '\xFF';
        } else {
            appendUtf8(unit, out);
        }
    }
    if (i < file.size())
        out += '\xFF'; // the odd byte at the end
    return out;
}

bool validCp932(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (!isLeadByte(static_cast<unsigned char>(line[i])))
            continue;
        if (i + 1 >= line.size())
            return false;
        const auto trail = static_cast<unsigned char>(line[++i]);
        if (!((0x40 <= trail && trail <= 0x7E) || (0x80 <= trail && trail <= 0xFC)))
            return false;
    }
    return true;
}

// One character in code page 932, asked of iconv afresh each time.
std::string cp932Of(char32_t c) {
    static iconv_t toCp932 = ::iconv_open("CP932", "UTF-8");
    std::string utf8;
    appendUtf8(c, utf8);
    char out[8];
    char* in = utf8.data();
    std::size_t inLeft = utf8.size();
    char* to = out;
    std::size_t toLeft = sizeof out;
    const std::size_t done = ::iconv(toCp932, &in, &inLeft, &to, &toLeft);
    ::iconv(toCp932, nullptr, nullptr, nullptr, nullptr);
    if (done == static_cast<std::size_t>(-1))
        return {};
    return std::string(out, static_cast<std::size_t>(to - out));
}

std::string escapeOf(char32_t c) {
    const char* hex = "0123456789ABCDEF";
    return std::string("\\U+") + hex[c >> 12 & 15] + hex[c >> 8 & 15] + hex[c >> 4 & 15] +
           hex[c & 15];
}

} // namespace

Conversion convertDeclared(std::string_view file, std::int16_t height, Encoding encoding) {
    enum class Read { Undecided, Cp932, Utf8 } read = Read::Undecided;
    std::string text;
    if (markedUtf16(file)) {
        // A second mark right after UTF-16's own is a mark too, not text.
        text = withoutByteOrderMark(utf16AsUtf8(file));
        read = Read::Utf8;
    } else {
        const bool marked = startsWith(file, "\xEF\xBB\xBF");
        text = withoutByteOrderMark(file);
        if (encoding == Encoding::Utf8 || (encoding == Encoding::Auto && marked))
            read = Read::Utf8;
        else if (encoding == Encoding::Cp932)
            read = Read::Cp932;
    }
    Drawing drawing(height, true);
    Conversion result;
    try {
        drawing.bytes = "  0\r\nSECTION\r\n  2\r\nHEADER\r\n"
                        "  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n"
                        "  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_932\r\n"
                        "  9\r\n$EXTMIN\r\n 10\r\n-1073741824 \r\n 20\r\n-2147516416 \r\n"
                        " 30\r\n0.0\r\n  9\r\n$EXTMAX\r\n 10\r\n 1073741823 \r\n"
                        " 20\r\n 2147516415 \r\n 30\r\n0.0\r\n  0\r\nENDSEC\r\n"
                        "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\nSTYLE\r\n"
                        " 70\r\n 1 \r\n  0\r\nSTYLE\r\n  2\r\nKST32B\r\n 70\r\n 0 \r\n"
                        " 40\r\n0.0\r\n 41\r\n1.0\r\n 50\r\n0.0\r\n 71\r\n 0 \r\n 42\r\n2.5\r\n"
                        "  3\r\ntxt\r\n  4\r\nextfont2.shx\r\n  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n"
                        "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
        for (const std::string& line : splitLines(text)) {
            if (line.empty()) {
                drawing.emptyLine();
                continue;
            }
            // No line of more bytes than 32767 four-byte characters is even read.
            if (line.size() > 4 * 32767)
                throw Overflow{};
            bool high = false;
            for (char c : line)
                high = high || static_cast<unsigned char>(c) >= 0x80;
            if (read == Read::Undecided && high)
                read = utf8Characters(line) ? Read::Utf8 : Read::Cp932;
            if (read != Read::Utf8) {
                if (!validCp932(line))
                    throw NotText{};
                drawing.textLine(line);
                continue;
            }
            const std::optional<std::vector<char32_t>> characters = utf8Characters(line);
            if (!characters)
                throw NotText{};
            if (characters->size() > 32767)
                throw Overflow{};
            std::string cp932;
            for (char32_t c : *characters) {
                const std::string code = c > 0xFFFF ? std::string("\x81\xAC") : cp932Of(c);
                cp932 += code.empty() ? escapeOf(c) : code;
            }
            drawing.fieldsOf(cp932);
        }
        drawing.close();
        drawing.nameExtents();
    } catch (const Overflow&) {
        result.error = kOverflow;
    } catch (const NotText&) {
        result.error = kInvalidCall;
    }
    result.bytes = std::move(drawing.bytes);
    result.placed = drawing.placed;
    return result;
}

std::string report(std::int64_t count) {
    return "処理した文字数 : " + std::to_string(count) + "\r\n" + "処理終了" + "\r\n";
}

} // namespace quillet::model
