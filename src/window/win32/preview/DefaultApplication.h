// Handing a drawing to the program Windows opens its kind of file with, never to Quillet
// itself: when that program is Quillet, the user picks one in the "Open with" dialog.
#pragma once

#include <windows.h>

#include <string>

namespace quillet::window::win32::preview {

// Returns whether the program at exe (a path or a file name) is one of Quillet's own.
bool isQuilletProgram(std::wstring_view exe);

// Opens the file at path (UTF-8) in the program associated with its extension, or shows the
// "Open with" dialog over owner when that is Quillet or there is none. Returns an empty
// string, or what went wrong (Japanese).
std::string openWithDefaultApplication(HWND owner, const std::string& path);

} // namespace quillet::window::win32::preview
