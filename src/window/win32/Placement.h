// Where the control table's controls stand in pixels at a window's DPI, and how Drive1 shows
// a drive.
#pragma once

#include "form/Controls.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace quillet::window::win32 {

// Returns control's rectangle in the client area, in pixels at dpi dots per inch.
RECT pixelRect(const form::Control& control, int dpi);

// Returns the client area's size in pixels at dpi.
SIZE clientSize(int dpi);

// Returns the DPI window is shown at: GetDpiForWindow where Windows has it (10, 1607 on),
// else the screen's.
int dpiOf(HWND window);

// Returns the whole window's size for a client area of client at dpi, with style and
// exStyle (AdjustWindowRectExForDpi where Windows has it).
SIZE windowSizeFor(SIZE client, DWORD style, DWORD exStyle, int dpi);

} // namespace quillet::window::win32
