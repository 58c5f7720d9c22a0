// Converts arbitrary bytes in memory and holds the engine to the reference model. The input's
// first line is the height text, the rest is the file.
#include "Model.h"
#include "conversion/DxfWriter.h"
#include "conversion/Run.h"
#include "platform/BlockSink.h"
#include "platform/Cp932.h"
#include "platform/LineReader.h"
#include "platform/NumberText.h"
#include "platform/RunError.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quillet;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_convert: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok)
        fail(what);
}

// Every line ends in CR LF, no line holds another CR or LF, and the lines pair up as group
// codes and values with the drawing's frame around them. Returns the number of TEXT entities.
// Not instrumented for coverage: it walks every byte of the drawing and guides nothing.
__attribute__((no_sanitize("coverage"))) std::int64_t checkWellFormed(const std::string& bytes) {
    std::vector<std::string_view> lines;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        std::size_t end = rest.find("\r\n");
        check(end != std::string_view::npos, "a line does not end in CR LF");
        std::string_view line = rest.substr(0, end);
        check(line.find_first_of("\r\n") == std::string_view::npos, "a line holds CR or LF");
        lines.push_back(line);
        rest.remove_prefix(end + 2);
    }
    check(lines.size() % 2 == 0 && lines.size() >= 8, "the lines do not pair up");
    static const std::set<std::string_view> codes{"  0", "  1", "  2", "  8",
                                                  " 10", " 20", " 30", " 40"};
    std::int64_t texts = 0;
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        check(codes.count(lines[i]) == 1, "a group code line is not a known code");
        if (lines[i] == "  0" && lines[i + 1] == "TEXT")
            ++texts;
    }
    check(lines[0] == "  0" && lines[1] == "SECTION" && lines[2] == "  2" && lines[3] == "ENTITIES",
          "the drawing does not open with its section");
    const std::size_t n = lines.size();
    check(lines[n - 4] == "  0" && lines[n - 3] == "ENDSEC" && lines[n - 2] == "  0" &&
              lines[n - 1] == "EOF",
          "the drawing does not close with its section");
    check(static_cast<std::int64_t>(n - 8) == 14 * texts, "an entity is not fourteen lines");
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view heightText = input.substr(0, newline);
    // An empty file still points somewhere: MemorySource copies from it even when it is empty.
    static constexpr char kNoBytes[] = "";
    const std::string_view file = newline == std::string_view::npos ? std::string_view(kNoBytes, 0)
                                                                    : input.substr(newline + 1);

    const model::Height expectedHeight = model::readHeight(heightText, ".", ",");
    std::int16_t height = 0;
    try {
        height = platform::floorTo16(platform::textToNumber(heightText, {".", ","}));
    } catch (const platform::RunError& error) {
        check(error.code() == 13 || error.code() == 6, "the height raised an unknown error");
        check(error.code() == expectedHeight.error, "the height raised another error");
        return 0;
    }
    check(expectedHeight.error == 0 && expectedHeight.value == height,
          "the height differs from the model");

    // Small blocks make every line cross block boundaries; 14 bytes is the least a number needs.
    static constexpr std::array<std::size_t, 4> kBlockSizes{14, 15, 100, 64 * 1024};
    platform::MemorySource source(file);
    platform::LineReader lines(source, platform::cp932::kMaxLineBytes);
    platform::MemorySink sink(kBlockSizes[size % kBlockSizes.size()]);
    conversion::DxfWriter writer(sink);
    conversion::ConversionState state;
    state.textHeight = height;

    const model::Conversion expected = model::convert(file, height);
    int error = 0;
    std::int64_t placed = 0;
    try {
        placed = conversion::convertLines(lines, writer, state);
    } catch (const platform::RunError& runError) {
        error = runError.code();
        check(error == 6, "the conversion raised an error other than Overflow");
    }
    writer.flush();
    check(error == expected.error, "the engine and the model end differently");
    check(sink.bytes() == expected.bytes, "the engine's bytes differ from the model's");
    if (error == 0) {
        check(placed == expected.placed, "the count differs from the model's");
        check(checkWellFormed(sink.bytes()) == placed, "the count is not the number of texts");
    }
    return 0;
}
