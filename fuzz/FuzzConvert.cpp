// Converts arbitrary bytes in memory and holds the engine to the reference model. The input's
// first line is the height text, the rest is the file.
#include "Model.h"
#include "conversion/DxfWriter.h"
#include "conversion/InputText.h"
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

// Compares without memcmp, which the fuzzer intercepts and records at a cost on every call.
bool same(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

bool isGroupCode(std::string_view line) {
    if (line.size() != 3)
        return false;
    for (std::string_view code : {"  0", "  1", "  2", "  3", "  4", "  7", "  8", "  9", " 10",
                                  " 20", " 30", " 40", " 41", " 42", " 50", " 70", " 71"})
        if (same(line, code))
            return true;
    return false;
}

// Every line ends in CR LF, no line holds another CR or LF, and the lines pair up as group
// codes and values with the drawing's frame around them. Returns the number of TEXT entities.
std::int64_t checkWellFormed(const std::string& bytes, bool declared) {
    std::vector<std::string_view> lines;
    lines.reserve(bytes.size() / 4);
    std::size_t begin = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            check(i + 1 < bytes.size() && bytes[i + 1] == '\n', "a CR is not followed by LF");
            lines.emplace_back(bytes.data() + begin, i - begin);
            begin = i + 2;
            ++i;
        } else {
            check(bytes[i] != '\n', "an LF stands without CR");
        }
    }
    check(begin == bytes.size(), "the last line does not end in CR LF");
    check(lines.size() % 2 == 0 && lines.size() >= 8, "the lines do not pair up");
    // The declared drawing's opening is its own; the entities start after it.
    std::size_t first = 0;
    if (declared) {
        // The extents in it are the texts' own, written over the widest after the run.
        const std::string_view opening = conversion::kDeclaredOpening;
        const std::size_t after = conversion::kExtentsOffset + conversion::kExtentsSize;
        check(bytes.size() >= opening.size() &&
                  same(std::string_view(bytes).substr(0, conversion::kExtentsOffset),
                       opening.substr(0, conversion::kExtentsOffset)) &&
                  same(std::string_view(bytes).substr(after, opening.size() - after),
                       opening.substr(after)),
              "the declared drawing does not open with its header and style");
        for (char c : opening)
            first += c == '\n';
        first -= 4; // the section start is checked below like the classic one
    }
    std::int64_t texts = 0;
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        check(isGroupCode(lines[i]), "a group code line is not a known code");
        if (same(lines[i], "  0") && same(lines[i + 1], "TEXT"))
            ++texts;
    }
    check(same(lines[first], "  0") && same(lines[first + 1], "SECTION") &&
              same(lines[first + 2], "  2") && same(lines[first + 3], "ENTITIES"),
          "the drawing does not open with its section");
    const std::size_t n = lines.size();
    check(same(lines[n - 4], "  0") && same(lines[n - 3], "ENDSEC") && same(lines[n - 2], "  0") &&
              same(lines[n - 1], "EOF"),
          "the drawing does not close with its section");
    const std::int64_t linesPerText = declared ? 16 : 14;
    check(static_cast<std::int64_t>(n - first - 8) == linesPerText * texts,
          "an entity is not of its length");
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
    // The next bits of the size choose the drawing and how a declared one reads its input.
    static constexpr std::array<std::size_t, 4> kBlockSizes{14, 15, 100, 64 * 1024};
    const std::size_t choice = size / kBlockSizes.size();
    const bool declared = choice % 2 == 1;
    const auto encoding = static_cast<model::Encoding>(choice / 2 % 3);
    const conversion::DrawingOptions options{declared ? conversion::DrawingKind::Declared
                                                      : conversion::DrawingKind::Classic,
                                             static_cast<conversion::InputEncoding>(encoding)};
    const model::Conversion expected =
        declared ? model::convertDeclared(file, height, encoding) : model::convert(file, height);

    platform::MemorySource source(file);
    platform::MemorySink sink(kBlockSizes[size % kBlockSizes.size()]);
    int error = 0;
    std::int64_t placed = 0;
    try {
        conversion::InputText text(source, options);
        platform::LineReader lines(text.bytes(), text.maxLineBytes());
        conversion::DxfWriter writer(sink, options.drawing);
        conversion::ConversionState state;
        state.textHeight = height;
        try {
            placed = conversion::convertLines(lines, writer, state, &text);
        } catch (const platform::RunError&) {
            writer.flush();
            throw;
        }
        writer.flush();
    } catch (const platform::RunError& runError) {
        error = runError.code();
        check(error == 6 || error == 5, "the conversion raised an error other than 6 or 5");
    }
    check(error == expected.error, "the engine and the model end differently");
    check(sink.bytes() == expected.bytes, "the engine's bytes differ from the model's");
    if (error == 0) {
        check(placed == expected.placed, "the count differs from the model's");
        check(checkWellFormed(sink.bytes(), declared) == placed,
              "the count is not the number of texts");
    }
    return 0;
}
