// What reading a drawing leaves until every block and layer is known, placed before its index
// is built: the block content of multileaders (found by its block record's handle) with their
// attribute values where the block defines them, dimensions whose block is missing drawn from
// their definition points, and the attributes of inserts on hidden layers hidden with them.
#pragma once

#include "Drawing.h"

namespace quillet::drawing {

// Places the late parts of every entity list of d (the drawing's and each block's), once its
// inserts' blocks are resolved by name, and forgets what they waited with. Throws
// std::bad_alloc.
void placeLateParts(Drawing& d);

} // namespace quillet::drawing
