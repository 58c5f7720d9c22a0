// The commands. A GUI program has standard handles only when they were redirected; typed in a
// console, it borrows the console; the listing is written as bytes, so that a file gets what
// the Linux program writes, and a console is switched to UTF-8 for it.
#include "PreviewCommand.h"

#include "GdiPainter.h"
#include "PreviewExport.h"
#include "WinText.h"

#include "drawing/DrawingError.h"
#include "drawing/Reader.h"
#include "drawing/TextsCommand.h"
#include "scene/TextLayout.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string_view>

namespace quillet::window::win32::preview {

namespace {

constexpr const char* kUsage = "使い方: quillet-preview [図面.dxf...]\n"
                               "       quillet-preview --export 出力.png|svg|pdf [--size 幅x高さ] "
                               "図面.dxf\n"
                               "       quillet-preview --texts 図面.dxf\n";

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

int usage(const Streams& streams) {
    if (streams.err())
        std::fputs(kUsage, streams.err());
    return 2;
}

// Reads "WxH" (each 16..20000) into width and height.
bool sizeOf(const std::string& text, int& width, int& height) {
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2)
        return false;
    return width >= 16 && width <= 20000 && height >= 16 && height <= 20000;
}

int exportCommand(const std::vector<std::string>& args, const Streams& streams) {
    // --export OUT [--size WxH] DRAWING
    if (args.size() != 3 && args.size() != 5)
        return usage(streams);
    const std::string& out = args[1];
    const std::string& path = args.back();
    int width = 0, height = 0;
    if (args.size() == 5 && (args[2] != "--size" || !sizeOf(args[3], width, height)))
        return usage(streams);
    if (out.empty() || path.empty())
        return usage(streams);
    std::unique_ptr<drawing::Drawing> read;
    try {
        read = drawing::readDrawing(path);
    } catch (const drawing::DrawingError& e) {
        std::fprintf(streams.err(), "%s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(streams.err(), "%s: %s\n", path.c_str(), e.what());
        return 1;
    }
    if (read->truncated)
        std::fprintf(
            streams.err(),
            "%s: 図面が途中で終わっています (EOF がありません)。読めた分を書き出します。\n",
            path.c_str());
    const bool whole = width == 0;
    const scene::ViewTransform view =
        whole ? scene::ViewTransform{}
              : scene::ViewTransform::fitting(scene::measuredExtents(*read, textMeasure()),
                                              {double(width), double(height)});
    const std::string error = exportDrawing(*read, view, whole, out, fileNameOf(path));
    if (!error.empty()) {
        std::fprintf(streams.err(), "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

bool isCommand(const std::vector<std::string>& args) {
    return !args.empty() && (args[0] == "--export" || args[0] == "--texts");
}

int runCommand(const std::vector<std::string>& args) {
    int status = 2;
    {
        const Streams streams;
        if (args[0] == "--export")
            status = exportCommand(args, streams);
        else if (args.size() != 2 || args[1].empty())
            status = usage(streams);
        else if (streams.out())
            status = drawing::printTexts(args[1].c_str(), false, streams.out(), streams.err());
        else if (std::FILE* nowhere = std::fopen("NUL", "wb")) {
            // Started with no console and no redirection: only an error can be shown.
            status = drawing::printTexts(args[1].c_str(), false, nowhere, streams.err());
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
