// The user's separators on Windows: the regional settings, as the window reads them too.
#include "platform/UserLocale.h"

#include "WideText.h"

#include <windows.h>

namespace quillet::platform {

namespace {

bool readSetting(LCTYPE type, std::string& into) noexcept {
    wchar_t value[16]; // a separator is at most three characters, with its null
    const int n = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, value, 16);
    if (n <= 1)
        return false;
    try {
        into = win32::toUtf8(std::wstring_view(value, static_cast<std::size_t>(n - 1)));
    } catch (...) {
        return false;
    }
    return true;
}

} // namespace

OwnedSeparators userSeparators() noexcept {
    OwnedSeparators separators;
    readSetting(LOCALE_SDECIMAL, separators.decimal);
    readSetting(LOCALE_STHOUSAND, separators.group);
    return separators;
}

} // namespace quillet::platform
