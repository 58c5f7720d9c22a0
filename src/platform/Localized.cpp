// What the catalogues of every system share: filling in a translated text.
#include "Localized.h"

namespace quillet::platform {

std::string filled(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string result;
    const std::string_view* next = values.begin();
    for (std::size_t at = 0;;) {
        const std::size_t mark = text.find("%s", at);
        if (mark == std::string_view::npos || next == values.end()) {
            result += text.substr(at);
            return result;
        }
        result += text.substr(at, mark - at);
        result += *next++;
        at = mark + 2;
    }
}

} // namespace quillet::platform
