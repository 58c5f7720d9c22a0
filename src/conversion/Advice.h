#pragma once

#include "platform/NumberText.h"
#include "platform/RunError.h"

#include <cstdint>
#include <string>
#include <string_view>

// The line that tells the user what to do about a failed run, and what a run did with a
// height that has a fraction: for the message box, the report box and quillet-convert.
namespace quillet::conversion {

// What a failed run was given.
struct AdviceContext {
    std::string_view inputName;  // as typed (empty when none was given)
    std::string_view outputName; // as typed
    std::int16_t height = 100;   // the height the run used
};

// Returns the largest number of columns whose X stays within -32768..32767 at height; -1 when
// there is no such limit (height 0).
std::int64_t largestColumnCount(std::int16_t height);

// Returns the largest number of texts one column holds at height before Y leaves 32 bits; -1
// when there is no such limit (height 0).
std::int64_t largestRowCount(std::int16_t height);

// Returns one line (without its ending) saying what to do about error in context, in
// Japanese; empty when there is nothing to add.
std::string adviceFor(const platform::RunError& error, const AdviceContext& context);

// Returns the report box's text for a failed run: the headline with the line of the input
// when the error names one, then the advice line when there is one; lines ended by CR LF.
std::string failureReport(const platform::RunError& error, const AdviceContext& context);

// Returns the line saying which height was used when heightText has a fraction (the height is
// rounded down); empty for a whole number or a text that is no number.
std::string heightNote(std::string_view heightText, platform::NumberSeparators separators,
                       std::int16_t used);

} // namespace quillet::conversion
