#pragma once

#include "conversion/DrawingOptions.h"

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

// Thrown for a command line that cannot be followed; what() says why.
struct UsageError {
    std::string message;
};

// Reads the arguments after the program name; throws UsageError.
Options parseOptions(const std::vector<std::string_view>& args);

// Returns the usage text for program.
std::string usageText(std::string_view program);

// The name that stands for standard input as an input, and for standard output as --output.
inline constexpr std::string_view kStandardStream = "-";

// Returns the output path for input when no --output is given: input with ".dxf" after it.
std::string defaultOutputFor(std::string_view input);

} // namespace quillet::cli
