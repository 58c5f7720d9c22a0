#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A deliberately plain restatement of the conversion rules, written for reading, not speed,
// and sharing nothing with the engine. The fuzzers and the soak compare the engine with it.
namespace quillet::model {

// What a conversion produced: the bytes written (up to the error, if any), the texts
// placed, and the run-time error number that ended it (0 when it ran to the end).
struct Conversion {
    std::string bytes;
    std::int64_t placed = 0;
    int error = 0;
};

// Converts the bytes of an input file into the classic drawing with the given text height.
Conversion convert(std::string_view file, std::int16_t height);

// How the declared drawing reads its input: by the rule (a mark, else the first line with a
// byte of 0x80 or above being UTF-8 or not), or as told. A UTF-16 mark always wins.
enum class Encoding { Auto, Cp932, Utf8 };

// Converts the bytes of an input file into the drawing that declares code page 932.
Conversion convertDeclared(std::string_view file, std::int16_t height,
                           Encoding encoding = Encoding::Auto);

// What reading a height text gave: the height, or the run-time error number (13 or 6).
struct Height {
    std::int16_t value = 0;
    int error = 0;
};

// Reads a height text (UTF-8) with the given decimal and group separators.
Height readHeight(std::string_view text, std::string_view decimal, std::string_view group);

// Returns the report of a run that placed count texts.
std::string report(std::int64_t count);

} // namespace quillet::model
