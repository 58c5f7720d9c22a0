#pragma once

#include <string_view>

// Whether a name typed into the window is a path of its own or a name in the folder shown.
namespace quillet::platform {

// How a system writes its paths.
enum class PathStyle { Posix, Windows };

// Tells whether name is a path on its own in style: POSIX, one that starts with "/";
// Windows, one with a drive and a separator ("C:\", "C:/"), a UNC or device path ("\\server\share",
// "\\?\", "//server/share"), or one that starts at the current drive's root ("\x", "/x").
// "C:x" (relative to the drive's current folder) is no path on its own.
bool isAbsolutePath(std::string_view name, PathStyle style) noexcept;

// Tells whether name is a path on its own on this system.
bool isAbsolutePath(std::string_view name) noexcept;

} // namespace quillet::platform
