#pragma once

#include "conversion/DrawingOptions.h"
#include "platform/RunError.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::testing {

// What a conversion in memory produced.
struct MemoryRun {
    std::string bytes;                       // every byte written, up to the error if one came
    std::int64_t placed = 0;                 // the count the report shows (0 after an error)
    std::optional<platform::RunError> error; // the error that ended the run, if any
    std::int64_t escaped = 0;                // characters written as \U+XXXX
    std::int64_t replaced = 0;               // characters replaced by 〓
};

// Converts input as a run over a file of these bytes would, at the given height, into a sink
// of blocks of sinkBlock bytes, writing the drawing options ask for. Throws nothing: the run's
// error is returned.
MemoryRun convertText(std::string_view input, std::int16_t height,
                      std::size_t sinkBlock = 64 * 1024, conversion::DrawingOptions options = {});

// Returns the lines of one TEXT entity cut after the " 10" line (the X overflowed).
std::string entityCutAfterX();

// Returns the lines of one TEXT entity at X x cut after the " 20" line (the Y overflowed).
std::string entityCutAfterY(int x);

} // namespace quillet::testing
