#pragma once

#include "ConversionState.h"
#include "DrawingOptions.h"
#include "DxfWriter.h"
#include "InputText.h"
#include "platform/LineReader.h"
#include "platform/NumberText.h"
#include "platform/Trash.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>
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

// Returns folder and name joined by one "/" (none added when folder already ends with a
// separator); a name that is a path on its own on this system (platform::isAbsolutePath) is
// returned as it is.
std::string composePath(std::string_view folder, std::string_view name);

// What a run did: the texts it placed, in a declared drawing the characters code page 932
// could not hold, written as escapes or replaced by 〓, and whether the drawing it replaced
// went to the trash.
struct RunResult {
    std::int64_t placed = 0;
    std::int64_t escaped = 0;
    std::int64_t replaced = 0;
    std::string trashedDrawing; // the replaced drawing's name as the run was given it, if trashed
    platform::Trashed trashed;
    std::string heightNote; // which height was used, when the one given has a fraction
    // Lines read as they stand that a spreadsheet would read as quoted fields holding commas.
    std::int64_t quotedLines = 0;
};

// How far a run has come: the input's bytes read (of totalBytes, -1 when its size is not
// known) and the texts placed.
struct RunProgress {
    std::int64_t bytesRead = 0;
    std::int64_t totalBytes = -1;
    std::int64_t placed = 0;
};

// How a run is steered beside its inputs. A run on a thread of its own is watched through
// progress and ended through cancel; both are used from that thread.
struct RunControl {
    // A drawing the run replaces goes to the desktop's trash (where one can be had).
    bool backup = false;
    // Called now and then while the run reads (about every megabyte of input) and once at the
    // end of the input.
    std::function<void(const RunProgress&)> progress;
    // Once it holds true, the run ends with RunCancelled at its next line, leaving the folder
    // as it was.
    const std::atomic<bool>* cancel = nullptr;
};

// Thrown by a run ended through RunControl::cancel: no drawing is written, an existing one
// stays as it was, and nothing goes to the trash.
class RunCancelled : public std::runtime_error {
  public:
    RunCancelled() : std::runtime_error("変換を中止しました") {}
};

class RunMonitor;

// Returns the report of a run: two lines, each ended by CR LF, with lines between them that
// say which height was used when the one given had a fraction, count the escaped and replaced
// characters when there were any, count the lines that look quoted, naming --quotes, and name
// the replaced drawing when it went to the trash.
std::string reportText(const RunResult& result);

// Writes the drawing of every line of lines to out, between its opening and closing lines,
// after resetting itemNo and blockNo; returns the number of texts placed. Lines go through
// text when it is given and transcodes, and are read with spreadsheet quoting when its options
// say so; otherwise quotedLines, when given, counts the lines that look quoted
// (looksQuoted). monitor, when given, sees every line. Throws RunError 6
// for every overflow and 5 for a line not valid in the input's encoding, with the 1-based
// number of the line it came from, and RunCancelled.
std::int64_t convertLines(platform::LineReader& lines, DxfWriter& out, ConversionState& state,
                          InputText* text = nullptr, RunMonitor* monitor = nullptr,
                          std::int64_t* quotedLines = nullptr);

// Where a run reads and writes: files by their paths, or the process's standard input or
// output (then the path is only the name used in messages).
struct RunEnds {
    std::string inPath;
    std::string outPath;
    bool standardInput = false;
    bool standardOutput = false;
};

// Converts as convertFile does, between the ends given. A drawing written to standard output
// goes straight through: what a failed run wrote is already in the pipe. Throws RunError, and
// RunCancelled when control cancels the run.
RunResult convert(const RunEnds& ends, std::string_view heightText,
                  platform::NumberSeparators separators, ConversionState& state,
                  DrawingOptions options = {}, const RunControl& control = {});

// Converts the file inPath into the drawing outPath with the height read from heightText;
// returns what the run did. The drawing appears only when complete: on any error an
// existing outPath stays as it was. Throws RunError (53, 76, 70, 75 opening the input; 13 or
// 6 for the height; 5 for a UTF-16 input to the classic drawing; 55, 75, 70, 76, 52 for the
// output, all before reading; 6 and 5 from the scan; 61, 57 writing; 7 out of memory),
// naming the file and, for the scan, the line.
RunResult convertFile(const std::string& inPath, const std::string& outPath,
                      std::string_view heightText, platform::NumberSeparators separators,
                      ConversionState& state, DrawingOptions options = {},
                      const RunControl& control = {});

// Runs the conversion the way the execute buttons do (実行1 the classic drawing, 実行２ the
// declared one): composes both paths, shows the reading caption, converts, then shows the
// report and the finished caption. Throws RunError as convertFile does, with the reading
// caption still shown.
void runConversion(const RunInputs& inputs, platform::NumberSeparators separators,
                   ConversionState& state, RunView& view, DrawingOptions options = {},
                   const RunControl& control = {});

} // namespace quillet::conversion
