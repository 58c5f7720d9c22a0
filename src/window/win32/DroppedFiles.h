// The files of a drop on a window (WM_DROPFILES), as the form logic takes names: UTF-8.
#pragma once

#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs

#include <string>
#include <vector>

namespace quillet::window::win32 {

// Returns the paths drop holds, in its order, as UTF-8; leaves drop to the caller (DragFinish).
std::vector<std::string> droppedFiles(HDROP drop);

} // namespace quillet::window::win32
