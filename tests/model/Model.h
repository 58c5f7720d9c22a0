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

// Converts the bytes of an input file into the drawing with the given text height.
Conversion convert(std::string_view file, std::int16_t height);

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
