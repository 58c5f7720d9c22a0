#pragma once

#include <cstdint>
#include <string>

namespace quillet::conversion {

// What a conversion run works on. The window owns one and keeps it between runs; each run
// resets itemNo and blockNo and reads textHeight anew.
struct ConversionState {
    std::string curLine;         // the input line read last, as its bytes
    std::int32_t itemNo = 0;     // items since the run started or the last empty line
    std::int16_t scanPos = 0;    // 1-based position of the backward scan (0 once it is done)
    std::int16_t blockNo = 0;    // empty lines read so far: the index of the current column
    std::int16_t runLen = 0;     // characters scanned since the last field boundary
    std::int32_t textX = 0;      // X of the item written last
    std::int32_t textY = 0;      // Y of the item written last
    std::int16_t textHeight = 0; // text height of the run
};

} // namespace quillet::conversion
