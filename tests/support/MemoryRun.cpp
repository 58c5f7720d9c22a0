#include "MemoryRun.h"

#include "conversion/InputText.h"
#include "conversion/Run.h"
#include "platform/BlockSink.h"

#include <optional>

namespace quillet::testing {

MemoryRun convertText(std::string_view input, std::int16_t height, std::size_t sinkBlock,
                      conversion::DrawingOptions options) {
    platform::MemorySource source(input);
    platform::MemorySink sink(sinkBlock);
    MemoryRun run;
    std::optional<conversion::InputText> text;
    try {
        text.emplace(source, options);
    } catch (const platform::RunError& error) {
        run.error = error;
        return run;
    }
    platform::LineReader lines(text->bytes(), text->maxLineBytes());
    conversion::DxfWriter writer(sink, options.drawing);
    conversion::ConversionState state;
    state.textHeight = height;
    try {
        run.placed = conversion::convertLines(lines, writer, state, &*text);
    } catch (const platform::RunError& error) {
        run.error = error;
    }
    run.escaped = text->escaped();
    run.replaced = text->replaced();
    // A file run would have handed over these bytes too before it stopped.
    writer.flush();
    run.bytes = sink.bytes();
    return run;
}

std::string entityCutAfterX() {
    return "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n";
}

std::string entityCutAfterY(int x) {
    return entityCutAfterX() + (x < 0 ? "-" : " ") + std::to_string(x < 0 ? -x : x) +
           " \r\n 20\r\n";
}

} // namespace quillet::testing
