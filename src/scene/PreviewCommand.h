// The preview's commands that need no window, as both front ends take them: "--export OUT
// [--size WxH] DRAWING" writes the drawing fitted into an image or a document, "--texts
// DRAWING" lists its texts. Only the painter and the streams belong to a front end.
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
    enum class Kind { Windows, Export, Texts, Usage };
    Kind kind = Kind::Windows;
    std::string output;  // --export's file
    std::string drawing; // the drawing to export or list
    int width = 0;       // --size; 0: the whole drawing at its own scale
    int height = 0;
};

// Returns what args ask for: Windows when they name no command, Usage when a command is
// written wrong.
PreviewCommand parsePreviewCommand(const std::vector<std::string>& args);

// Returns the usage text, its lines each ended by a line feed.
const char* previewUsageText() noexcept;
// Writes the usage text to err (when there is one) and returns the exit status 2.
int previewUsage(std::FILE* err);

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
