#pragma once

#include "RunError.h"

#include <string>

// What the program was doing when the system refused, and the parts of a path; the numbers
// for the system's own error codes are in posix/ErrnoError.h and win32/Win32Error.h.
namespace quillet::platform {

// What the program was doing when the operating system refused.
enum class OsAction { Open, Read, Write };

// Tells whether c separates folders in a path: "/", and on Windows "\" too.
bool isPathSeparator(char c) noexcept;

// Returns path with its separators written as the system writes them to a user: "/" on POSIX,
// "\" on Windows (where the program itself joins paths with "/").
std::string nativeSeparators(std::string path);

// Returns the folder part of path ("." when it has none, "/" for a file in the root; on
// Windows "\" separates too, and "C:\" and "C:" are folders of their own).
std::string folderOf(const std::string& path);

// Returns the last part of path, after its folder.
std::string baseNameOf(const std::string& path);

} // namespace quillet::platform
