// quillet-preview.exe's commands that open no window, on the console or the streams it was
// given: writing a drawing fitted into an image or a document, and listing its texts, as the
// Linux program does.
#pragma once

#include <string>
#include <vector>

namespace quillet::window::win32::preview {

// Returns whether args (after the program's name, UTF-8) ask for a command rather than
// windows.
bool isCommand(const std::vector<std::string>& args);

// Runs "--export OUT [--size WxH] DRAWING" or "--texts DRAWING". Writes to the standard
// output and error the program was given, else to the console it was typed in; an error with
// neither goes to a message box. Returns the exit status: 0, 1 with the message for a drawing
// it cannot read or a file it cannot write, 2 for a wrong command line.
int runCommand(const std::vector<std::string>& args);

} // namespace quillet::window::win32::preview
