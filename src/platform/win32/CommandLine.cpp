// The command line and messages on Windows: the UTF-16 command line, whatever the system's
// code page; WriteConsoleW on a console, UTF-8 bytes into a file or pipe.
#include "platform/CommandLine.h"

#include "WideText.h"
#include "platform/OsError.h"

#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs

namespace quillet::platform {

CommandLine readCommandLine(int, char**) {
    // The drawing goes through the handles, which never translate; a stream of the C runtime
    // in text mode would turn its CR LF into CR CR LF, so none is left in that mode.
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    CommandLine line;
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!words)
        return line;
    for (int i = 0; i < count; ++i) {
        std::string word = win32::toUtf8(words[i]);
        if (i == 0) {
            line.program = baseNameOf(word);
            const std::size_t n = line.program.size();
            if (n > 4 && ::CompareStringOrdinal(win32::toWide(line.program.substr(n - 4)).c_str(),
                                                -1, L".exe", -1, TRUE) == CSTR_EQUAL)
                line.program.resize(n - 4);
        } else {
            line.args.push_back(std::move(word));
        }
    }
    ::LocalFree(words);
    return line;
}

void writeMessage(MessageStream stream, std::string_view text) noexcept {
    const HANDLE out =
        ::GetStdHandle(stream == MessageStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    if (::GetConsoleMode(out, &mode)) {
        // A console shows UTF-16 as it is; converted a piece at a time, nothing allocated.
        wchar_t piece[512];
        for (std::size_t i = 0; i < text.size();) {
            DWORD units = 0;
            while (units + 2 <= std::size(piece) && i < text.size())
                units += static_cast<DWORD>(win32::nextUnits(text, i, piece + units));
            DWORD written = 0;
            if (!::WriteConsoleW(out, piece, units, &written, nullptr))
                return;
        }
        return;
    }
    while (!text.empty()) {
        DWORD done = 0;
        if (!::WriteFile(out, text.data(),
                         static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 30)), &done,
                         nullptr) ||
            done == 0)
            return;
        text.remove_prefix(done);
    }
}

} // namespace quillet::platform
