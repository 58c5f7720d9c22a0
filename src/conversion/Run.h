#pragma once

#include "ConversionState.h"
#include "DxfWriter.h"
#include "platform/LineReader.h"
#include "platform/NumberText.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet::conversion {

// The caption while a run reads its input, and once it has finished.
inline constexpr std::string_view kCaptionReading = "読み込み中です・・・";
inline constexpr std::string_view kCaptionDone = "ファイル操作";

// The four inputs of a run, as the window holds them (UTF-8 text; names as typed).
struct RunInputs {
    std::string directory;
    std::string inputName;
    std::string outputName;
    std::string heightText;
};

// What a run shows while it goes: the window implements this.
class RunView {
  public:
    virtual ~RunView() = default;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setReport(std::string_view report) = 0;
};

// Returns folder and name joined by one "/" (none added when folder already ends with it).
std::string composePath(std::string_view folder, std::string_view name);

// Returns the report of a run that placed count texts: two lines, each ended by CR LF.
std::string reportText(std::int64_t count);

// Writes the drawing of every line of lines to out, between its opening and closing lines,
// after resetting itemNo and blockNo; returns the number of texts placed. Throws RunError 6
// for every overflow, with the 1-based number of the line it came from.
std::int64_t convertLines(platform::LineReader& lines, DxfWriter& out, ConversionState& state);

// Converts the file inPath into the drawing outPath with the height read from heightText;
// returns the number of texts placed. The drawing appears only when complete: on any error
// an existing outPath stays as it was. Throws RunError (53, 76, 70, 75 opening the input;
// 13 or 6 for the height; 55, 75, 70, 76, 52 for the output, all before reading; 6 from the
// scan; 61, 57 writing; 7 out of memory), naming the file and, for the scan, the line.
std::int64_t convertFile(const std::string& inPath, const std::string& outPath,
                         std::string_view heightText, platform::NumberSeparators separators,
                         ConversionState& state);

// Runs the conversion the way the first execute button does: composes both paths, shows the
// reading caption, converts, then shows the report and the finished caption. Throws RunError
// as convertFile does, with the reading caption still shown.
void runConversion(const RunInputs& inputs, platform::NumberSeparators separators,
                   ConversionState& state, RunView& view);

} // namespace quillet::conversion
