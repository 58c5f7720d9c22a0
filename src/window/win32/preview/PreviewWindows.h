// The entry point of the preview for the Win32 window and for quillet-preview.exe: one preview
// window per drawing, opened beside its owner (not modal).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quillet::window::win32::preview {

// Opens the drawing at utf8Path in a window of its own, or brings its window forward and
// reads it again when it is open already (the same file, however named). A file that cannot
// be opened is reported over owner in a message box with its run-time error (53, 70, 75, 76),
// one that is no drawing with a message, and no window opens then. owner may be null.
// Returns the preview's window, or null. Call on the thread that runs the message loop.
HWND openPreview(HWND owner, const std::string& utf8Path);

// Handles msg when it is a preview window's keyboard shortcut (Esc, Ctrl+W, Home, Ctrl+S,
// F5); returns whether it did. Call it in the message loop before IsDialogMessageW and
// TranslateMessage.
bool translatePreviewMessage(MSG& msg);

// Runs the thread's message loop until WM_QUIT, giving previews their shortcuts first and then
// takeFirst (when given) the chance to take a message; returns WM_QUIT's code, or 1 when
// GetMessageW fails.
int runMessageLoop(const std::function<bool(MSG&)>& takeFirst = {});

// Returns how many preview windows are open.
int openPreviewCount();

// Closes every preview window (before the main window ends).
void closeAllPreviews();

// Makes the last preview window to close end the message loop (PostQuitMessage), for a
// program that has no other window.
void quitWhenLastPreviewCloses(bool quit);

} // namespace quillet::window::win32::preview
