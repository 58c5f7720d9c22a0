// Small helpers of the preview's Win32 side: UTF-16 texts for the calls and the error box.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quillet::window::win32::preview {

// Returns utf8 as UTF-16 for a Win32 call.
std::wstring wide(std::string_view utf8);

// Shows message (UTF-8) in an error box titled Quillet over owner (which may be null).
void showError(HWND owner, const std::string& message);

// Returns the last part of path, after its last '\' or '/'.
std::string fileNameOf(const std::string& path);

} // namespace quillet::window::win32::preview
