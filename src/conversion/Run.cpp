#include "Run.h"

#include "Advice.h"
#include "Quoting.h"
#include "Scanner.h"
#include "platform/AbsolutePath.h"
#include "platform/Checked.h"
#include "platform/Cp932.h"
#include "platform/FolderListing.h"
#include "platform/InputFile.h"
#include "platform/OsError.h"
#include "platform/OutputFile.h"
#include "platform/StreamOutput.h"

#include <new>
#include <optional>

namespace quillet::conversion {

std::string composePath(std::string_view folder, std::string_view name) {
    if (platform::isAbsolutePath(name))
        return std::string(name);
    std::string path(folder);
    if (!path.empty() && !platform::isPathSeparator(path.back()))
        path += '/';
    path += name;
    return path;
}

std::string reportText(const RunResult& result) {
    std::string report = "処理した文字数 : " + std::to_string(result.placed) + "\r\n";
    if (!result.heightNote.empty())
        report += result.heightNote + "\r\n";
    if (result.escaped > 0 || result.replaced > 0)
        report += "コードページ 932 にない文字 : \\U+XXXX で " + std::to_string(result.escaped) +
                  " 文字、〓 で " + std::to_string(result.replaced) + " 文字\r\n";
    if (result.quotedLines > 0)
        report += "引用符の中にカンマがある行 : " + std::to_string(result.quotedLines) +
                  " 行をそのまま読みました (表計算ソフトの引用符として読むには quillet-convert "
                  "--quotes)\r\n";
    if (result.trashed.moved)
        report +=
            "以前の図面はごみ箱に移しました : " + platform::displayName(result.trashedDrawing) +
            "\r\n";
    return report + "処理終了\r\n";
}

// Counts the bytes read from a source.
class CountingSource final : public platform::ByteSource {
  public:
    explicit CountingSource(platform::ByteSource& source) : source_(source) {}
    std::size_t read(char* into, std::size_t max) override {
        const std::size_t got = source_.read(into, max);
        count_ += static_cast<std::int64_t>(got);
        return got;
    }
    std::int64_t count() const noexcept { return count_; }

  private:
    platform::ByteSource& source_;
    std::int64_t count_ = 0;
};

// Watches a run's lines for RunControl: a cancel flag looked at every line, progress reported
// whenever another megabyte has been read.
class RunMonitor {
  public:
    RunMonitor(const RunControl& control, const CountingSource& input, std::int64_t totalBytes)
        : control_(control), input_(input), totalBytes_(totalBytes) {}

    void atLine(std::int64_t placed) {
        checkCancel();
        if (control_.progress && input_.count() >= nextReport_) {
            nextReport_ = input_.count() + kStep;
            control_.progress({input_.count(), totalBytes_, placed});
        }
    }
    void atEnd(std::int64_t placed) {
        checkCancel();
        if (control_.progress)
            control_.progress({input_.count(), totalBytes_, placed});
    }
    void checkCancel() const {
        if (control_.cancel && control_.cancel->load(std::memory_order_relaxed))
            throw RunCancelled();
    }

  private:
    static constexpr std::int64_t kStep = 1024 * 1024;
    const RunControl& control_;
    const CountingSource& input_;
    std::int64_t totalBytes_;
    std::int64_t nextReport_ = kStep;
};

namespace {

// Reads lines into records with spreadsheet quoting: a record goes on over the line ends
// inside its quotes, joined by "\n", and is held to the length of one line.
class QuotedRecords {
  public:
    QuotedRecords(platform::LineReader& lines, std::size_t maxBytes)
        : lines_(lines), maxBytes_(maxBytes) {}

    // Reads the next record into record (an empty one for an empty line); false at the end.
    bool read(std::string_view& record) {
        std::string_view line;
        if (!lines_.readLine(line))
            return false;
        quotes_.reset();
        quotes_.feed(line);
        if (!quotes_.open()) {
            record = line;
            return true;
        }
        joined_.assign(line);
        while (quotes_.open() && lines_.readLine(line)) {
            if (joined_.size() + 1 + line.size() > maxBytes_)
                throw platform::RunError(platform::ErrorNumber::Overflow)
                    .withCause(platform::OverflowCause::LineLength);
            joined_ += '\n';
            joined_ += line;
            quotes_.feed(line);
        }
        record = joined_;
        return true;
    }

  private:
    platform::LineReader& lines_;
    std::size_t maxBytes_;
    QuoteState quotes_;
    std::string joined_;
};

// Scans one record read with spreadsheet quoting: held to the line's length, transcoded as a
// line is, then split into its fields.
void scanRecord(ConversionState& state, DxfWriter& out, InputText* text, std::string_view record,
                std::vector<std::string>& fields) {
    if (text) {
        record = text->prepare(record);
    } else if (record.size() > 32767) {
        const auto chars = static_cast<std::int64_t>(platform::cp932::countChars(record));
        if (chars > 32767)
            throw platform::RunError(platform::ErrorNumber::Overflow)
                .withCause(platform::OverflowCause::LineLength, chars);
    }
    splitQuoted(record, fields);
    ScanFields(state, out, fields);
}

} // namespace

std::int64_t convertLines(platform::LineReader& lines, DxfWriter& out, ConversionState& state,
                          InputText* text, RunMonitor* monitor, std::int64_t* quotedLines) {
    const bool quotes = text && text->options().quotes;
    if (quotes)
        quotedLines = nullptr;
    if (text && !text->transcodes())
        text = nullptr;
    std::optional<QuotedRecords> records;
    std::vector<std::string> fields;
    if (quotes)
        records.emplace(lines, platform::cp932::kMaxLineBytes * 2);
    state.itemNo = 0;
    state.blockNo = 0;
    out.PutDxfHeader();
    // itemNo starts over at every empty line; the report counts the whole run.
    std::int64_t placed = 0;
    std::string_view line;
    // The line read last is kept in curLine once the run ends, not at every line.
    auto keepLastLine = [&] {
        if (lines.lineNumber() > 0)
            state.curLine.assign(lines.lastLine());
    };
    try {
        while (records ? records->read(line) : lines.readLine(line)) {
            if (monitor)
                monitor->atLine(placed + state.itemNo);
            if (quotedLines && looksQuoted(line))
                ++*quotedLines;
            if (line.empty()) {
                placed += state.itemNo;
                state.itemNo = 0;
                if (state.blockNo == INT16_MAX)
                    throw platform::RunError(platform::ErrorNumber::Overflow)
                        .withCause(platform::OverflowCause::EmptyLines);
                ++state.blockNo;
            } else if (records) {
                scanRecord(state, out, text, line, fields);
            } else if (text) {
                ScanCountedLine(state, out, text->prepare(line));
            } else {
                ScanLine(state, out, line);
            }
        }
    } catch (const platform::RunError& error) {
        keepLastLine();
        throw error.withContext({}, lines.lineNumber());
    }
    keepLastLine();
    if (monitor)
        monitor->atEnd(placed + state.itemNo);
    out.PutDxfTrailer();
    out.finish();
    return placed + state.itemNo;
}

RunResult convert(const RunEnds& ends, std::string_view heightText,
                  platform::NumberSeparators separators, ConversionState& state,
                  DrawingOptions options, const RunControl& control) {
    const std::string& inPath = ends.inPath;
    try {
        std::optional<platform::InputFile> input;
        if (ends.standardInput)
            input.emplace(platform::InputFile::StandardInput{}, inPath);
        else
            input.emplace(inPath);
        // The height and the input's encoding are known before the output is touched: a run
        // that fails on them creates nothing.
        state.textHeight = platform::floorTo16(platform::textToNumber(heightText, separators));
        CountingSource counted(*input);
        RunMonitor monitor(control, counted, input->size().value_or(-1));
        std::optional<InputText> text;
        try {
            text.emplace(counted, options);
        } catch (const platform::RunError& error) {
            throw error.withContext(inPath, 0);
        }
        std::optional<platform::OutputFile> file;
        std::optional<platform::StreamOutput> stream;
        platform::BlockSink* sink = nullptr;
        if (ends.standardOutput)
            sink = &stream.emplace(ends.outPath, input->identity());
        else
            sink = &file.emplace(ends.outPath, input->identity());

        platform::LineReader lines(text->bytes(), text->maxLineBytes());
        DxfWriter writer(*sink, options.drawing);
        RunResult result;
        try {
            result.placed =
                convertLines(lines, writer, state, &*text, &monitor, &result.quotedLines);
        } catch (const platform::RunError& error) {
            throw error.withContext(inPath, 0);
        }
        writer.flush();
        input->close();
        // The last moment a cancel is heeded: after it the drawing takes its name.
        monitor.checkCancel();
        if (file) {
            result.trashed = file->commit(control.backup);
            if (result.trashed.moved)
                result.trashedDrawing = ends.outPath;
        }
        result.heightNote = heightNote(heightText, separators, state.textHeight);
        result.escaped = text->escaped();
        result.replaced = text->replaced();
        return result;
    } catch (const std::bad_alloc&) {
        // Whatever was made for the run has gone with it by now.
        throw platform::RunError(platform::ErrorNumber::OutOfMemory, inPath);
    }
}

RunResult convertFile(const std::string& inPath, const std::string& outPath,
                      std::string_view heightText, platform::NumberSeparators separators,
                      ConversionState& state, DrawingOptions options, const RunControl& control) {
    return convert({inPath, outPath}, heightText, separators, state, options, control);
}

void runConversion(const RunInputs& inputs, platform::NumberSeparators separators,
                   ConversionState& state, RunView& view, DrawingOptions options,
                   const RunControl& control) {
    const std::string inPath = composePath(inputs.directory, inputs.inputName);
    const std::string outPath = composePath(inputs.directory, inputs.outputName);
    view.setCaption(kCaptionReading);
    const RunResult result =
        convertFile(inPath, outPath, inputs.heightText, separators, state, options, control);
    view.setReport(reportText(result));
    view.setCaption(kCaptionDone);
}

} // namespace quillet::conversion
