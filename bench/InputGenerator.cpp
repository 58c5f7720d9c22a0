#include "InputGenerator.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

#include "conversion/DxfWriter.h"

namespace quillet::bench {

namespace {

constexpr std::size_t kPieceBytes = 1024 * 1024;
constexpr std::int64_t kInt16Max = 32767;

// Double-byte characters of code page 932; 表 and ソ end in 0x5C, the byte that is a backslash
// when read alone, which a byte scan must leave inside its character.
constexpr std::array<std::string_view, 10> kDoubleByte = {
    "\x93\xfa", "\x96\x7b", "\x8c\xea", "\x82\xa0", "\x82\xa2",
    "\x8a\xbf", "\x8e\x9a", "\x93\x8c", "\x95\x5c", "\x83\x5c",
};
// The same characters in UTF-8, which the declared drawing writes as the bytes above.
constexpr std::array<std::string_view, 10> kDoubleByteUtf8 = {
    "日", "本", "語", "あ", "い", "漢", "字", "東", "表", "ソ",
};
constexpr std::string_view kAscii =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.";

// The bytes of one TEXT entity besides its three numbers and its text, line endings included.
constexpr std::size_t kEntityFixedBytes = 5 + 6 + 5 + 3 + 5 + 5 + 5 + 3 + 5 + 5;
constexpr std::size_t kOpeningBytes = 5 + 9 + 5 + 10;
constexpr std::size_t kClosingBytes = 5 + 8 + 5 + 5;

// Follows the converter's counters so that the drawing's exact size is known in advance.
class Placement {
  public:
    Placement(std::int32_t height, bool declared) : height_(height) {
        heightBytes_ = paddedLength(height) + 2;
        if (declared)
            styleBytes_ = quillet::conversion::kDeclaredEntityEnd.size();
    }

    // Returns the drawing bytes of one more text of textBytes bytes in the current column.
    std::size_t place(std::size_t textBytes) {
        const std::int64_t x = blockNo_ * height_ * 10;
        const std::int64_t y = -(std::int64_t{height_} * itemNo_) * 2;
        if (x < -kInt16Max - 1 || x > kInt16Max || y < INT32_MIN || y > INT32_MAX)
            throw std::invalid_argument("the converter cannot place column " +
                                        std::to_string(blockNo_) + " or its item " +
                                        std::to_string(itemNo_) + " at this height");
        ++itemNo_;
        return kEntityFixedBytes + paddedLength(x) + 2 + paddedLength(y) + 2 + heightBytes_ +
               textBytes + 2 + styleBytes_;
    }

    void nextColumn() {
        if (++blockNo_ > kInt16Max)
            throw std::invalid_argument("more empty lines than the converter can count");
        itemNo_ = 0;
    }

  private:
    std::int32_t height_;
    std::size_t heightBytes_;
    std::size_t styleBytes_ = 0;
    std::int64_t blockNo_ = 0;
    std::int64_t itemNo_ = 0;
};

} // namespace

std::size_t paddedLength(std::int64_t value) {
    std::uint64_t magnitude = static_cast<std::uint64_t>(value < 0 ? -value : value);
    std::size_t digits = 1;
    while (magnitude >= 10) {
        magnitude /= 10;
        ++digits;
    }
    return digits + 2;
}

std::int64_t maxEmptyLines(std::int32_t height) {
    if (height == 0)
        return kInt16Max;
    return std::min(kInt16Max, kInt16Max / (10 * std::abs(std::int64_t{height})));
}

InputFacts generateInput(const InputShape& shape,
                         const std::function<void(std::string_view)>& out) {
    if (shape.lines < 0 || shape.columnLines < 1)
        throw std::invalid_argument("the input needs a line count and a column length");
    // mt19937_64 gives the same sequence everywhere; the distributions would not.
    std::mt19937_64 random(shape.seed);
    auto below = [&](std::uint64_t n) { return static_cast<std::size_t>(random() % n); };

    Placement placement(shape.height, shape.declared);
    InputFacts facts;
    std::string piece;
    piece.reserve(kPieceBytes + 256);
    std::int64_t outputBytes =
        static_cast<std::int64_t>(shape.declared ? quillet::conversion::kDeclaredOpening.size()
                                                 : kOpeningBytes) +
        static_cast<std::int64_t>(kClosingBytes);
    const auto& doubleByte = shape.utf8 ? kDoubleByteUtf8 : kDoubleByte;
    for (std::int64_t line = 1; line <= shape.lines; ++line) {
        if (line % shape.columnLines == 0) {
            placement.nextColumn();
            ++facts.emptyLines;
        } else {
            const std::size_t fieldCount = 3 + below(4);
            for (std::size_t f = 0; f < fieldCount; ++f) {
                if (f > 0)
                    piece += ',';
                if (below(16) == 0)
                    continue;
                // The drawing holds every text in code page 932: two bytes a character.
                std::size_t textBytes = 0;
                if (below(8) == 0) {
                    for (std::size_t n = 1 + below(4); n > 0; --n, textBytes += 2)
                        piece += doubleByte[below(doubleByte.size())];
                } else {
                    for (std::size_t n = 1 + below(8); n > 0; --n, ++textBytes)
                        piece += kAscii[below(kAscii.size())];
                }
                outputBytes += static_cast<std::int64_t>(placement.place(textBytes));
                ++facts.fields;
            }
        }
        piece += "\r\n";
        if (piece.size() >= kPieceBytes) {
            facts.inputBytes += static_cast<std::int64_t>(piece.size());
            out(piece);
            piece.clear();
        }
    }
    facts.inputBytes += static_cast<std::int64_t>(piece.size());
    if (!piece.empty())
        out(piece);
    facts.lines = shape.lines;
    facts.outputBytes = outputBytes;
    return facts;
}

} // namespace quillet::bench
