#include "OutputName.h"

namespace quillet::conversion {

std::string proposedOutput(std::string_view input) {
    // Appended, not swapped for the extension: "a.csv" and "a.txt" never share a drawing.
    return std::string(input) + ".dxf";
}

} // namespace quillet::conversion
