#pragma once

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillet::bench {

// Returns the whole number text holds; throws std::invalid_argument naming the option name.
inline long long numberArg(std::string_view name, const char* text) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (errno || end == text || *end)
        throw std::invalid_argument(std::string(name) + " needs a number, not " + text);
    return value;
}

} // namespace quillet::bench
