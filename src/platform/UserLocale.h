#pragma once

#include "NumberText.h"

#include <string>

// The separators the user's own settings give numbers.
namespace quillet::platform {

// Separators held as text of their own, for as long as the caller keeps them.
struct OwnedSeparators {
    std::string decimal = ".";
    std::string group = ",";
    NumberSeparators view() const noexcept { return {decimal, group}; }
};

// Returns the user's decimal and group separators as UTF-8: on POSIX those of LC_NUMERIC from
// the environment, with "," for the group when the locale names none (the C locale); on
// Windows those of the user's regional settings. Throws nothing.
OwnedSeparators userSeparators() noexcept;

} // namespace quillet::platform
