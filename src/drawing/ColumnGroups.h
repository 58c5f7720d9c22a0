// Reading an MTEXT's column settings a pair at a time.
#pragma once

#include "PendingEntity.h"

#include <cstddef>
#include <string_view>

namespace quillet::drawing {

// The most further columns and column heights an MTEXT's settings are read for.
inline constexpr std::size_t kMostLinkedColumns = 256;

// Takes one pair of an MTEXT's own column groups (46, 48, 49, 50, 75, 76) or of its XDATA into
// c; other codes change nothing. Never throws.
void readColumnGroup(PendingColumns& c, int code, std::string_view value);

// Takes one pair of R2018's embedded object (after "101 Embedded Object") or of the MTEXT's
// XDATA into c; other codes change nothing. Never throws.
void readEmbeddedColumnGroup(PendingColumns& c, int code, std::string_view value);

} // namespace quillet::drawing
