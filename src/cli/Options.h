#pragma once

#include "conversion/DrawingOptions.h"
#include "platform/UsageError.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::cli {

// What the command line asks for.
struct Options {
    std::string heightText = "100";
    std::optional<std::string> output; // "-" for standard output
    std::vector<std::string> inputs;   // "-" for standard input
    conversion::DrawingOptions drawing;
    bool backup = false; // a replaced drawing goes to the trash
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name; throws platform::UsageError.
Options parseOptions(const std::vector<std::string_view>& args);

// Returns the usage text for program.
std::string usageText(std::string_view program);

// The name that stands for standard input as an input, and for standard output as --output.
inline constexpr std::string_view kStandardStream = "-";

} // namespace quillet::cli
