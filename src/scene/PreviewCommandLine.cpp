// The preview's command line and its export, once for both front ends.
#include "PreviewCommandLine.h"

#include "drawing/DrawingError.h"
#include "drawing/Reader.h"
#include "drawing/Shortfall.h"
#include "platform/Localized.h"
#include "platform/OptionValue.h"
#include "platform/UsageError.h"

#include <exception>
#include <memory>
#include <optional>
#include <string_view>

namespace quillet::scene {

namespace {

using platform::filled;
using platform::localized;
using platform::UsageError;

// Reads "WxH" (each 16..20000) into width and height.
bool sizeOf(const std::string& text, int& width, int& height) {
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2)
        return false;
    return width >= 16 && width <= 20000 && height >= 16 && height <= 20000;
}

// Returns what args ask for; throws UsageError.
PreviewCommand commandOf(const std::vector<std::string>& args) {
    PreviewCommand c;
    bool onlyDrawings = false;
    bool help = false;
    bool exportAsked = false;
    bool textsAsked = false;
    std::optional<std::string> size;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        auto is = [&](std::string_view name) { return platform::namesOption(arg, name); };
        auto value = [&](std::string_view name) { return platform::optionValue(args, i, name); };
        if (onlyDrawings || arg == "-" || !arg.starts_with("-")) {
            c.drawings.emplace_back(arg);
        } else if (arg == "--") {
            onlyDrawings = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (is("--export")) {
            c.output = value("--export");
            exportAsked = true;
        } else if (is("--size")) {
            size = value("--size");
        } else if (arg == "--texts") {
            textsAsked = true;
        } else {
            throw UsageError{filled(localized("unknown option %s"), {arg})};
        }
    }
    if (help) {
        c.kind = PreviewCommand::Kind::Help;
        return c;
    }
    if (exportAsked && textsAsked)
        throw UsageError{localized("--export and --texts cannot be given together")};
    if (size && !exportAsked)
        throw UsageError{localized("--size is for --export")};
    if (size && !sizeOf(*size, c.width, c.height))
        throw UsageError{localized("--size takes WxH, each from 16 to 20000 pixels")};
    if (!exportAsked && !textsAsked) {
        if (c.drawings.empty())
            throw UsageError{localized("no drawing given")};
        return c;
    }
    const std::string_view command = exportAsked ? "--export" : "--texts";
    if (c.drawings.size() != 1 || c.drawings.front().empty())
        throw UsageError{filled(localized("%s takes one drawing"), {command})};
    if (exportAsked && c.output.empty())
        throw UsageError{filled(localized("%s needs a value"), {command})};
    c.kind = exportAsked ? PreviewCommand::Kind::Export : PreviewCommand::Kind::Texts;
    c.drawing = c.drawings.front();
    c.drawings.clear();
    return c;
}

} // namespace

PreviewCommand parsePreviewCommand(const std::vector<std::string>& args) {
    try {
        return commandOf(args);
    } catch (const UsageError& error) {
        PreviewCommand usage;
        usage.kind = PreviewCommand::Kind::Usage;
        usage.problem = error.message;
        return usage;
    }
}

std::string previewUsageText() {
    // A message an option, so that an option comes and goes with its own translation.
    return localized("usage: quillet-preview [DRAWING.dxf...]\n"
                     "       quillet-preview --export OUT.png|svg|pdf [--size WxH] DRAWING.dxf\n"
                     "       quillet-preview --texts DRAWING.dxf\n") +
           localized("Shows each DRAWING in a window of its own; --export and --texts need no"
                     " display.\n") +
           localized("  --export OUT     write the drawing, fitted, to OUT as PNG, SVG or PDF, as"
                     " its\n"
                     "                   extension names\n") +
           localized(
               "  --size WxH       the image's size in pixels, each 16 to 20000 (else PNG's"
               " longer\n"
               "                   side is 3000 and SVG and PDF keep the drawing's scale)\n") +
           localized(
               "  --texts          print every text the preview draws, one a line: X, Y,"
               " height,\n"
               "                   rotation in degrees and the text, separated by tabs; in the\n"
               "                   text a line break is \\n, a tab \\t and a stacked fraction "
               "1/2\n") +
           localized("  --help           show this text\n") +
           localized("--texts exits with 3 when it leaves texts out, each said on standard"
                     " error.\n");
}

int answerUsage(const PreviewCommand& command, std::FILE* out, std::FILE* err) {
    const std::string usage = previewUsageText();
    if (command.kind == PreviewCommand::Kind::Help) {
        if (std::FILE* to = out ? out : err)
            std::fputs(usage.c_str(), to);
        return 0;
    }
    if (err)
        std::fprintf(err, "quillet-preview: %s\n%s", command.problem.c_str(), usage.c_str());
    return 2;
}

int runExport(const PreviewCommand& command, const TextMeasureMaker& makeMeasure, std::FILE* err,
              const DrawingWriter& write) {
    const char* path = command.drawing.c_str();
    std::unique_ptr<drawing::Drawing> read;
    try {
        read = drawing::readDrawing(command.drawing);
    } catch (const drawing::DrawingError& e) {
        std::fprintf(err, "%s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(err, "%s: %s\n", path, e.what());
        return 1;
    }
    if (read->truncated)
        std::fprintf(
            err, "%s: 図面が途中で終わっています (EOF がありません)。読めた分を書き出します。\n",
            path);
    for (const std::string& note : drawing::shortfallNotes(*read, read->nestingCut()))
        std::fprintf(err, "%s: %s。\n", path, note.c_str());
    const bool whole = command.width == 0;
    const ViewTransform view =
        whole ? ViewTransform{}
              : ViewTransform::fitting(measuredExtents(*read, makeMeasure()),
                                       {double(command.width), double(command.height)});
    const std::string error = write(*read, view, whole);
    if (!error.empty()) {
        std::fprintf(err, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace quillet::scene
