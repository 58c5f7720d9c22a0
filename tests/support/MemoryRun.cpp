#include "MemoryRun.h"

#include "conversion/Run.h"
#include "platform/BlockSink.h"
#include "platform/Cp932.h"

namespace quillet::testing {

MemoryRun convertText(std::string_view input, std::int16_t height, std::size_t sinkBlock) {
    platform::MemorySource source(input);
    platform::LineReader lines(source, platform::cp932::kMaxLineBytes);
    platform::MemorySink sink(sinkBlock);
    conversion::DxfWriter writer(sink);
    conversion::ConversionState state;
    state.textHeight = height;
    MemoryRun run;
    try {
        run.placed = conversion::convertLines(lines, writer, state);
    } catch (const platform::RunError& error) {
        run.error = error;
    }
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
