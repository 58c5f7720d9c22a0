#include "DxfWriter.h"

#include <algorithm>

namespace quillet::conversion {

void DxfWriter::putInPieces(std::string_view bytes) {
    while (!bytes.empty()) {
        if (room() == 0)
            flush();
        std::size_t n = std::min(room(), bytes.size());
        std::memcpy(pos_, bytes.data(), n);
        pos_ += n;
        bytes.remove_prefix(n);
    }
}

} // namespace quillet::conversion
