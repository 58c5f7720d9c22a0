// Reads arbitrary height texts with the separators of a few locales and holds the result to
// the reference model: the same numbers, the same floor, only 13 or 6 raised.
#include "Model.h"
#include "platform/NumberText.h"
#include "platform/RunError.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

struct Separators {
    std::string_view decimal;
    std::string_view group;
};

// The C locale, then locales that swap the two, group with blanks or with an apostrophe.
constexpr std::array<Separators, 6> kLocales{{
    {".", ","},
    {",", "."},
    {",", " "},
    {",", "\u00A0"},
    {",", "\u202F"},
    {".", "'"},
}};

[[noreturn]] void fail(const char* what, int engine, int model) {
    std::fprintf(stderr, "fuzz_height: %s (engine %d, model %d)\n", what, engine, model);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const Separators locale = kLocales[data[0] % kLocales.size()];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const quillet::model::Height expected =
        quillet::model::readHeight(text, locale.decimal, locale.group);
    try {
        const std::int16_t height = quillet::platform::floorTo16(
            quillet::platform::textToNumber(text, {locale.decimal, locale.group}));
        if (expected.error != 0)
            fail("the engine read a number the model rejects", 0, expected.error);
        if (height != expected.value)
            fail("the floors differ", height, expected.value);
    } catch (const quillet::platform::RunError& error) {
        if (error.code() != 13 && error.code() != 6)
            fail("an error other than 13 or 6", error.code(), expected.error);
        if (error.code() != expected.error)
            fail("the errors differ", error.code(), expected.error);
    }
    return 0;
}
