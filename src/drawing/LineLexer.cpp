// Group codes in the forms the lexer's quick reading leaves over.
#include "LineLexer.h"

#include "Numbers.h"

namespace quillet::drawing {

int anyGroupCode(std::string_view line) noexcept {
    const auto parsed = parseInteger(line);
    return parsed && *parsed >= kMinCode && *parsed <= kMaxCode ? *parsed : kMaxCode + 1;
}

} // namespace quillet::drawing
