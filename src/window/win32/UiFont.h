// The window's font: the system's Japanese UI face, so that captions and file names in kanji
// draw as characters, not boxes, on any Windows and under wine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillet::window::win32 {

// The point size of every control's text, as the window has always had it.
inline constexpr int kUiFontPoints = 9;

// Returns the face to use among faces (those installed that hold Japanese, as
// japaneseFaces() lists them): the first of Yu Gothic UI, Meiryo UI and MS UI Gothic that is
// there, else the first face made for Japanese (named "... JP"), else the first that is no
// vertical ("@") face; empty when faces holds none of these. Throws nothing but bad_alloc.
std::wstring chooseUiFace(const std::vector<std::wstring>& faces);

// Returns the faces installed that have the Japanese (Shift_JIS) character set, in the
// system's order, each once.
std::vector<std::wstring> japaneseFaces();

// Returns a new font of face at kUiFontPoints for dpi dots per inch (the system's message
// font when face is empty); the caller deletes it. Null when the system makes none.
HFONT createUiFont(const std::wstring& face, int dpi);

} // namespace quillet::window::win32
