#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace quillet::bench {

// What the generated input looks like.
struct InputShape {
    std::int64_t lines = 2'000'000; // every line, the empty ones included
    std::int64_t columnLines = 20;  // every columnLines-th line is empty
    std::int32_t height = 1;        // the text height the converter is given
    std::uint64_t seed = 20240611;
    bool utf8 = false;     // the double-byte characters written in UTF-8, not code page 932
    bool declared = false; // the drawing is the one that declares code page 932
};

// What the generator wrote, and what a correct conversion of it must produce.
struct InputFacts {
    std::int64_t lines = 0;
    std::int64_t emptyLines = 0;
    std::int64_t fields = 0; // non-empty fields: the texts the drawing holds
    std::int64_t inputBytes = 0;
    std::int64_t outputBytes = 0; // exact size of the drawing
};

// Returns the length of value in the drawing's padded number form (" 100 ", "-200 ").
std::size_t paddedLength(std::int64_t value);

// Returns the most empty lines a run can hold at height: neither the column counter nor the
// column's X may leave 16 bits.
std::int64_t maxEmptyLines(std::int32_t height);

// Generates the input of shape and hands it to out in pieces of about a megabyte; the same
// shape always gives the same bytes. Lines end in CR LF; fields are 1 to 8 characters of
// ASCII or code page 932 double-byte text, with an empty field now and then. Throws
// std::invalid_argument when the converter could not place every field of such an input,
// and what out throws.
InputFacts generateInput(const InputShape& shape, const std::function<void(std::string_view)>& out);

} // namespace quillet::bench
