// The preview's command line, as both front ends take it: drawings to open in windows, or the
// commands that need no window: "--export OUT [--size WxH] DRAWING" writes the drawing fitted
// into an image or a document, "--texts DRAWING" lists its texts, "--help" shows the usage.
// Only the painter and the streams belong to a front end.
#pragma once

#include "TextLayout.h"
#include "ViewTransform.h"

#include "drawing/Drawing.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace quillet::scene {

// What the arguments after the program's name ask for.
struct PreviewCommand {
    enum class Kind { Windows, Export, Texts, Help, Usage };
    Kind kind = Kind::Windows;
    std::vector<std::string> drawings; // Windows: each to open in a window of its own
    std::string output;                // --export's file
    std::string drawing;               // the drawing to export or list
    int width = 0;                     // --size; 0: the whole drawing at its own scale
    int height = 0;
    std::string problem; // Usage: what is wrong, in the user's language
};

// Returns what args (after the program's name) ask for: Windows when they name drawings alone,
// Help for --help or -h, Usage when they cannot be followed (no drawing, an unknown option, a
// command written wrong). "--" takes every argument after it as a drawing.
PreviewCommand parsePreviewCommand(const std::vector<std::string>& args);

// Returns the usage text in the user's language, its lines each ended by a line feed.
std::string previewUsageText();
// Answers a Help or Usage command: the usage text on out (on err when there is no out) and 0,
// or what is wrong and the usage text on err (when there is one) and the exit status 2.
int answerUsage(const PreviewCommand& command, std::FILE* out, std::FILE* err);

// Writes drawing in view (whole: at its own scale) to a file; returns the error message, empty
// when it was written.
using DrawingWriter = std::function<std::string(const drawing::Drawing& drawing,
                                                const ViewTransform& view, bool whole)>;

// Returns the front end's measure of texts (made only for an export fitted to a size).
using TextMeasureMaker = std::function<TextMeasure()>;

// Runs an export command: reads its drawing, warns on err when it was cut short, fits it into
// the size asked for (texts measured by what makeMeasure returns) and hands it to write.
// Returns the exit status: 0, or 1 with the message on err for a drawing it cannot read or
// write.
int runExport(const PreviewCommand& command, const TextMeasureMaker& makeMeasure, std::FILE* err,
              const DrawingWriter& write);

} // namespace quillet::scene
