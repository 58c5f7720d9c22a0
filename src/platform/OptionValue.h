// Options with a value, read the one way every program reads them: "--name VALUE" or
// "--name=VALUE".
#pragma once

#include "Localized.h"
#include "UsageError.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace quillet::platform {

// Returns whether arg is the option name, alone or as "name=VALUE".
inline bool namesOption(std::string_view arg, std::string_view name) noexcept {
    return arg == name ||
           (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
}

// Returns the value of the option name at args[i]: what follows its "=", else the next
// argument, which i then moves on to. Throws UsageError when there is none.
template <class Arguments>
std::string optionValue(const Arguments& args, std::size_t& i, std::string_view name) {
    const std::string_view arg = args[i];
    if (const std::size_t eq = arg.find('='); eq != std::string_view::npos)
        return std::string(arg.substr(eq + 1));
    if (i + 1 >= args.size())
        throw UsageError{filled(localized("%s needs a value"), {name})};
    return std::string(args[++i]);
}

} // namespace quillet::platform
