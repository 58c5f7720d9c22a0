// quillet.exe: the window program's start-up on Windows, a GUI program with no console.
#include "AppOptions.h"
#include "Form1Window.h"
#include "form/Listing.h"
#include "platform/CommandLine.h"
#include "platform/Localized.h"
#include "platform/win32/WideText.h"
#include "preview/PreviewWindows.h"

#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace quillet;

// Returns the arguments after the program's name, as UTF-8 (the UTF-16 command line, whatever
// the system's code page).
std::vector<std::string> arguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!words)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(platform::win32::toUtf8(words[i]));
    ::LocalFree(words);
    return args;
}

// Writes text to the console quillet.exe was typed in, when there is one; returns false
// when there is none.
bool writeToParentConsole(const std::string& text) {
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    const HANDLE console =
        ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    bool written = false;
    if (console != INVALID_HANDLE_VALUE) {
        const std::wstring wide = platform::win32::toWide(text);
        DWORD done = 0;
        written = ::WriteConsoleW(console, wide.c_str(), static_cast<DWORD>(wide.size()), &done,
                                  nullptr) != 0;
        ::CloseHandle(console);
    }
    ::FreeConsole();
    return written;
}

bool hasStandardHandle(DWORD which) {
    const HANDLE handle = ::GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Answers --help, --version or a usage error where the user will see it: into standard
// output or error when they lead to a file or pipe, else into the console the program was
// typed in, else (started from Explorer or a shortcut) in a message box.
void answer(const std::string& out, const std::string& err) {
    const std::string& text = out.empty() ? err : out;
    const platform::MessageStream stream =
        out.empty() ? platform::MessageStream::Err : platform::MessageStream::Out;
    if (hasStandardHandle(out.empty() ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE)) {
        platform::writeMessage(stream, text);
        return;
    }
    if (writeToParentConsole(text))
        return;
    ::MessageBoxW(nullptr, platform::win32::toWide(text).c_str(), L"Quillet",
                  MB_OK | (out.empty() ? MB_ICONERROR : MB_ICONINFORMATION));
}

// Opens drawing in a preview window with no converter window beside it; the program ends when
// the preview closes. Returns the exit status (1 when the drawing could not be opened, which
// the preview has reported).
int previewAlone(const std::string& drawing) {
    namespace preview = window::win32::preview;
    preview::quitWhenLastPreviewCloses(true);
    if (!preview::openPreview(nullptr, drawing))
        return 1;
    return preview::runMessageLoop();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const std::vector<std::string> args = arguments();
    platform::useUserLanguage();
    std::ostringstream out;
    std::ostringstream err;
    const app::StartDecision start = app::decideStart({args.begin(), args.end()}, out, err);
    if (start.exitStatus) {
        answer(out.str(), err.str());
        return *start.exitStatus;
    }
    // An unfinished drawing needs no handler here: the platform layer marks it for deletion
    // as it is made, so that the system removes it however the process ends.
    try {
        if (start.options.file && form::namesADrawing(*start.options.file))
            return previewAlone(*start.options.file);
        window::win32::Form1Window form(instance);
        form.start(showCommand, start.options.file);
        return form.run();
    } catch (const std::exception& error) {
        ::MessageBoxW(nullptr, platform::win32::toWide(error.what()).c_str(), L"Quillet",
                      MB_OK | MB_ICONERROR);
        return 1;
    }
}
