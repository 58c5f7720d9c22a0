#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 inside the program, UTF-16 for every Win32 call. A name Windows holds may carry a
// surrogate without its partner, which no UTF-8 can; such a unit travels as its three-byte
// form (as WTF-8 does), so that every name read from the system can be handed back to it.
namespace quillet::platform::win32 {

// Returns utf8 as UTF-16; a byte that begins no character becomes U+FFFD.
std::wstring toWide(std::string_view utf8);

// Returns wide as UTF-8, a lone surrogate in its three-byte form.
std::string toUtf8(std::wstring_view wide);

// Decodes the character at utf8[i] into out (one or two units) and moves i past it; returns
// the number of units. Allocates nothing.
std::size_t nextUnits(std::string_view utf8, std::size_t& i, wchar_t out[2]) noexcept;

// Returns path as Win32 calls take it: UTF-16, and for a path longer than the classic limit
// made absolute with the "\\?\" prefix that lifts it.
std::wstring systemPath(std::string_view utf8);

} // namespace quillet::platform::win32
