#include "Model.h"

#include <vector>

namespace quillet::model {

namespace {

constexpr int kOverflow = 6;

// Thrown inside the model when a rule ends the run; carries no data.
struct Overflow {};

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
    explicit Drawing(std::int16_t height) : height_(height) {}

    void line(std::string_view text) {
        bytes += text;
        bytes += "\r\n";
    }

    void emptyLine() {
        itemNo_ = 0;
        mustFit16(blockNo_ + 1);
        blockNo_ += 1;
    }

    void textLine(const std::string& text) {
        if (countCharacters(text) > 32767)
            throw Overflow{};
        std::vector<std::string> fields = splitFields(text);
        for (auto field = fields.rbegin(); field != fields.rend(); ++field)
            if (!field->empty())
                placeText(*field);
    }

    std::string bytes;
    std::int64_t placed = 0;

  private:
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
        mustFit32(std::int64_t{itemNo_} + 1);
        itemNo_ += 1;
        placed += 1;
    }

    std::int64_t height_;
    std::int64_t itemNo_ = 0;
    std::int64_t blockNo_ = 0;
};

} // namespace

Conversion convert(std::string_view file, std::int16_t height) {
    Drawing drawing(height);
    Conversion result;
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
        drawing.line("  0");
        drawing.line("ENDSEC");
        drawing.line("  0");
        drawing.line("EOF");
    } catch (const Overflow&) {
        result.error = kOverflow;
    }
    result.bytes = std::move(drawing.bytes);
    result.placed = drawing.placed;
    return result;
}

std::string report(std::int64_t count) {
    return "処理した文字数 : " + std::to_string(count) + "\r\n" + "処理終了" + "\r\n";
}

} // namespace quillet::model
