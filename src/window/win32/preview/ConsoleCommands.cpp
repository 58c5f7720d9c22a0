// The commands. A GUI program has standard handles only when they were redirected; typed in a
// console, it borrows the console; the listing is written as bytes, so that a file gets what
// the Linux program writes, and a console is switched to UTF-8 for it.
#include "ConsoleCommands.h"

#include "GdiPainter.h"
#include "PreviewExport.h"
#include "WinText.h"

#include "drawing/TextsCommand.h"
#include "scene/PreviewCommandLine.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace quillet::window::win32::preview {

namespace {

bool attachedToConsole = false;

// Returns the stream crt as the handle which leads it (binary, so that a line ends in "\n"
// alone), or the parent's console; null when there is neither.
std::FILE* standardStream(DWORD which, std::FILE* crt) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        if (!attachedToConsole && !AttachConsole(ATTACH_PARENT_PROCESS))
            return nullptr;
        attachedToConsole = true;
        return std::freopen("CONOUT$", "w", crt);
    }
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode))
        SetConsoleOutputCP(CP_UTF8);
    const int fd = _fileno(crt);
    if (fd >= 0 && _get_osfhandle(fd) == reinterpret_cast<intptr_t>(handle)) {
        _setmode(fd, _O_BINARY);
        return crt;
    }
    // The C library did not take the handle over (it was set after start-up): wrap it.
    const int own = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    return own < 0 ? nullptr : _fdopen(own, "wb");
}

// Where a command's output and messages go; messages with nowhere to go are kept and shown in
// a box at the end.
class Streams {
  public:
    Streams()
        : out_(standardStream(STD_OUTPUT_HANDLE, stdout)),
          err_(standardStream(STD_ERROR_HANDLE, stderr)) {
        if (!err_)
            err_ = kept_ = std::tmpfile();
    }
    ~Streams() {
        if (!kept_)
            return;
        std::string message(static_cast<std::size_t>(std::max(std::ftell(kept_), 0L)), '\0');
        std::rewind(kept_);
        message.resize(std::fread(message.data(), 1, message.size(), kept_));
        std::fclose(kept_);
        if (!message.empty())
            showError(nullptr, message);
    }
    Streams(const Streams&) = delete;
    Streams& operator=(const Streams&) = delete;

    std::FILE* out() const noexcept { return out_; }
    std::FILE* err() const noexcept { return err_; }

  private:
    std::FILE* out_;
    std::FILE* err_;
    std::FILE* kept_ = nullptr;
};

} // namespace

bool isCommand(const std::vector<std::string>& args) {
    return scene::parsePreviewCommand(args).kind != scene::PreviewCommand::Kind::Windows;
}

int runCommand(const std::vector<std::string>& args) {
    const scene::PreviewCommand command = scene::parsePreviewCommand(args);
    int status = 2;
    {
        const Streams streams;
        if (command.kind == scene::PreviewCommand::Kind::Export)
            status = scene::runExport(
                command, textMeasure, streams.err(),
                [&](const drawing::Drawing& d, const scene::ViewTransform& view, bool whole) {
                    return scene::exportDrawing(d, view, whole, command.output,
                                                fileNameOf(command.drawing), gdiExport());
                });
        else if (command.kind != scene::PreviewCommand::Kind::Texts)
            status = scene::answerUsage(command, streams.out(), streams.err());
        else if (streams.out())
            status =
                drawing::printTexts(command.drawing.c_str(), false, streams.out(), streams.err());
        else if (std::FILE* nowhere = std::fopen("NUL", "wb")) {
            // Started with no console and no redirection: only an error can be shown.
            status = drawing::printTexts(command.drawing.c_str(), false, nowhere, streams.err());
            std::fclose(nowhere);
        }
        if (streams.out())
            std::fflush(streams.out());
        std::fflush(streams.err());
    }
    if (attachedToConsole)
        FreeConsole();
    return status;
}

} // namespace quillet::window::win32::preview
