// The user's separators on POSIX: LC_NUMERIC from the environment.
#include "platform/UserLocale.h"

#include <clocale>

namespace quillet::platform {

OwnedSeparators userSeparators() noexcept {
    OwnedSeparators separators;
    try {
        std::setlocale(LC_NUMERIC, "");
        const lconv* conv = std::localeconv();
        if (conv->decimal_point && *conv->decimal_point)
            separators.decimal = conv->decimal_point;
        if (conv->thousands_sep && *conv->thousands_sep)
            separators.group = conv->thousands_sep;
    } catch (...) {
        // Short separators fit in any string; the defaults stand if one did not.
    }
    return separators;
}

} // namespace quillet::platform
