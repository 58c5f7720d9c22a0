// The binary form: after a 22-byte sentinel, pairs of a group code (two bytes, little-endian;
// one byte in R12's form, 255 announcing two more) and a value whose type the code's range
// decides. Numbers are handed on as text; a binary drawing is small next to what the text
// form allows, so this costs little.
#include "BinaryReader.h"

#include "DrawingError.h"
#include "PairParser.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace quillet::drawing {

namespace {

constexpr std::size_t kSentinel = 22;

enum class Type { String, Real, Int16, Int32, Int64, Bool, Chunk };

Type typeOf(int code) noexcept {
    if (code >= 10 && code <= 59)
        return Type::Real;
    if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) ||
        (code >= 270 && code <= 289) || (code >= 370 && code <= 389) ||
        (code >= 400 && code <= 409) || (code >= 1060 && code <= 1070))
        return Type::Int16;
    if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) ||
        (code >= 440 && code <= 459) || code == 1071)
        return Type::Int32;
    if (code >= 160 && code <= 169)
        return Type::Int64;
    if ((code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
        (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059))
        return Type::Real;
    if (code >= 290 && code <= 299)
        return Type::Bool;
    if ((code >= 310 && code <= 319) || code == 1004)
        return Type::Chunk;
    return Type::String;
}

[[noreturn]] void broken() {
    throw DrawingError("バイナリ形式の DXF が途中で壊れています。");
}

} // namespace

void readBinaryDrawing(std::string_view bytes, Drawing& drawing) {
    if (bytes.size() < kSentinel + 1)
        broken();
    // R12's form writes one byte for a code: then the first pair, 0 SECTION, starts "\0S".
    const bool shortCodes =
        bytes[kSentinel] == 0 && bytes.size() > kSentinel + 1 && bytes[kSentinel + 1] == 'S';
    PairParser parser(drawing.entities);
    std::size_t at = kSentinel;
    auto need = [&](std::size_t n) {
        if (bytes.size() - at < n)
            broken();
    };
    auto le = [&](std::size_t n) {
        need(n);
        std::uint64_t v = 0;
        for (std::size_t k = 0; k < n; ++k)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
        at += n;
        return v;
    };
    char number[40];
    while (at < bytes.size() && !parser.sawEnd()) {
        int code;
        if (shortCodes) {
            code = static_cast<int>(le(1));
            if (code == 255)
                code = static_cast<int>(static_cast<std::int16_t>(le(2)));
        } else {
            code = static_cast<int>(static_cast<std::int16_t>(le(2)));
        }
        std::string_view value;
        switch (typeOf(code)) {
        case Type::String: {
            const std::size_t end = bytes.find('\0', at);
            if (end == std::string_view::npos)
                broken();
            value = bytes.substr(at, end - at);
            at = end + 1;
            break;
        }
        case Type::Real: {
            const std::uint64_t bits = le(8);
            double v;
            std::memcpy(&v, &bits, 8);
            if (!std::isfinite(v))
                v = 1e300; // no number: the parser skips the entity
            value = {number, static_cast<std::size_t>(
                                 std::to_chars(number, number + sizeof number, v).ptr - number)};
            break;
        }
        case Type::Int16:
        case Type::Int32:
        case Type::Int64:
        case Type::Bool: {
            const Type t = typeOf(code);
            const std::size_t n = t == Type::Int16   ? 2
                                  : t == Type::Int32 ? 4
                                  : t == Type::Int64 ? 8
                                                     : 1;
            std::int64_t v = static_cast<std::int64_t>(le(n));
            if (n == 2)
                v = static_cast<std::int16_t>(v);
            else if (n == 4)
                v = static_cast<std::int32_t>(v);
            value = {number, static_cast<std::size_t>(
                                 std::to_chars(number, number + sizeof number, v).ptr - number)};
            break;
        }
        case Type::Chunk: {
            const std::size_t n = static_cast<std::size_t>(le(1));
            need(n);
            at += n;
            continue; // binary data draws nothing
        }
        }
        parser.feedPair(code, value);
    }
    drawing.truncated = !parser.finishFile();
    drawing.header = parser.header();
}

} // namespace quillet::drawing
