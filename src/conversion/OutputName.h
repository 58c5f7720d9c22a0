// The drawing's name when none is given, the same for the window and the command line.
#pragma once

#include <string>
#include <string_view>

namespace quillet::conversion {

// Returns the output name proposed for an input name: the name followed by ".dxf".
std::string proposedOutput(std::string_view input);

} // namespace quillet::conversion
