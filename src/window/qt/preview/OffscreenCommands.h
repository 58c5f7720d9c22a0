// quillet-preview's commands that need no display, run on Qt's offscreen platform: writing a
// drawing fitted into an image or a document, and listing its texts.
#pragma once

namespace quillet::window::qt::preview {

// Returns whether the command line asks for a command rather than windows.
bool isCommand(int argc, char** argv);

// Runs the command on the command line: "--export OUT [--size WxH] DRAWING" or "--texts
// DRAWING". Makes its own application on the offscreen platform when no platform is named.
// Returns the exit status: 0, 1 with the message on standard error for a drawing it cannot
// read or a file it cannot write, 2 for a wrong command line.
int runCommand(int argc, char** argv);

} // namespace quillet::window::qt::preview
