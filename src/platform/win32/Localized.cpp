// Translations on Windows: a string table a language in the program's resources, made from the
// same catalogues as on Linux (cmake/PoToResources.cmake). The resource loader takes the table
// of the user's UI language, and the English one when there is none for it.
#include "platform/Localized.h"

#include "Catalogue.h"
#include "WideText.h"

#include <windows.h>

#include <cstring>
#include <iterator>

namespace quillet::platform {

void useUserLanguage() noexcept {
    // Windows chooses the table itself.
}

std::string localized(const char* english) {
    for (std::size_t i = 0; i < std::size(win32::kMessageIds); ++i) {
        if (std::strcmp(win32::kMessageIds[i], english) != 0)
            continue;
        // With no buffer, LoadStringW points into the resource itself.
        const wchar_t* text = nullptr;
        const int length =
            ::LoadStringW(::GetModuleHandleW(nullptr), win32::kFirstMessageId + UINT(i),
                          reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0 && text)
            return win32::toUtf8(std::wstring_view(text, static_cast<std::size_t>(length)));
        break;
    }
    return english;
}

} // namespace quillet::platform
