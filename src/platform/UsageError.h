// A command line that cannot be followed, the same for every program's options.
#pragma once

#include <string>

namespace quillet::platform {

// Thrown for a command line that cannot be followed; message says why, in the user's language.
struct UsageError {
    std::string message;
};

} // namespace quillet::platform
