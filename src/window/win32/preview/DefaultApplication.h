// The program Windows opens a kind of file with, starting it on a file, and the system's
// "Open with" dialog. Which program may take the drawing is the preview session's decision.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quillet::window::win32::preview {

struct AssociatedProgram {
    std::string exe;  // its path (UTF-8)
    std::string name; // as Windows names it to the user
};

// Returns the program that opens files with path's extension, or none.
std::optional<AssociatedProgram> associatedProgram(const std::string& path);

// Opens the file at path (UTF-8) in its associated program; returns whether it started.
bool openWithAssociation(HWND owner, const std::string& path);

// Lets the user pick a program for path in the "Open with" dialog over owner, which opens it
// at once; returns false only when there is no such dialog or it failed (a cancel is no
// failure).
bool chooseProgramFor(HWND owner, const std::string& path);

} // namespace quillet::window::win32::preview
