#include "Run.h"

#include "Scanner.h"
#include "platform/Checked.h"
#include "platform/Cp932.h"
#include "platform/InputFile.h"
#include "platform/OutputFile.h"

#include <new>

namespace quillet::conversion {

std::string composePath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string reportText(std::int64_t count) {
    return "処理した文字数 : " + std::to_string(count) + "\r\n処理終了\r\n";
}

std::int64_t convertLines(platform::LineReader& lines, DxfWriter& out, ConversionState& state) {
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
        while (lines.readLine(line)) {
            if (!line.empty()) {
                ScanLine(state, out, line);
            } else {
                placed += state.itemNo;
                state.itemNo = 0;
                state.blockNo = platform::checked::add16(state.blockNo, 1);
            }
        }
    } catch (const platform::RunError& error) {
        keepLastLine();
        throw error.withContext({}, lines.lineNumber());
    }
    keepLastLine();
    out.PutDxfTrailer();
    return placed + state.itemNo;
}

std::int64_t convertFile(const std::string& inPath, const std::string& outPath,
                         std::string_view heightText, platform::NumberSeparators separators,
                         ConversionState& state) {
    try {
        platform::InputFile input(inPath);
        // The height is read before the output is touched: a bad height creates nothing.
        state.textHeight = platform::floorTo16(platform::textToNumber(heightText, separators));
        platform::OutputFile output(outPath, input.identity());

        platform::LineReader lines(input, platform::cp932::kMaxLineBytes);
        DxfWriter writer(output);
        std::int64_t placed = 0;
        try {
            placed = convertLines(lines, writer, state);
        } catch (const platform::RunError& error) {
            throw error.withContext(inPath, 0);
        }
        writer.flush();
        input.close();
        output.commit();
        return placed;
    } catch (const std::bad_alloc&) {
        // Whatever was made for the run has gone with it by now.
        throw platform::RunError(platform::ErrorNumber::OutOfMemory, inPath);
    }
}

void runConversion(const RunInputs& inputs, platform::NumberSeparators separators,
                   ConversionState& state, RunView& view) {
    const std::string inPath = composePath(inputs.directory, inputs.inputName);
    const std::string outPath = composePath(inputs.directory, inputs.outputName);
    view.setCaption(kCaptionReading);
    std::int64_t placed = convertFile(inPath, outPath, inputs.heightText, separators, state);
    view.setReport(reportText(placed));
    view.setCaption(kCaptionDone);
}

} // namespace quillet::conversion
