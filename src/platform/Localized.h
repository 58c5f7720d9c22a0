// Texts in the user's language, from the program's message catalogue (po/), the same calls on
// every system.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace quillet::platform {

// Makes localized() answer in the user's language. On POSIX LC_ALL, LC_MESSAGES and LANG choose
// in that order (and LANGUAGE, as gettext reads it), and the catalogues are found at
// ../share/locale from the program's folder, installed or in the build tree; on Windows the
// user's UI language chooses among the program's string tables by itself. Call once at start,
// before other threads. Throws nothing.
void useUserLanguage() noexcept;

// Returns english in the user's language as UTF-8: its translation in the catalogue, or english
// itself when there is none (also before useUserLanguage()). english is the text as written in
// the source, a literal that xgettext finds (po/README.md).
std::string localized(const char* english);

// Returns text with each "%s" in it replaced by the next of values, in order.
std::string filled(std::string_view text, std::initializer_list<std::string_view> values);

} // namespace quillet::platform
