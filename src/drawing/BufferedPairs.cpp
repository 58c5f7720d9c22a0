// Numbers of buffered pairs.
#include "BufferedPairs.h"

#include "Numbers.h"

#include <algorithm>
#include <cmath>

namespace quillet::drawing {

double PairCursor::real() const noexcept {
    double v = 0;
    if (quickReal(value(), v))
        return v;
    const auto p = parseReal(value());
    return p && std::fabs(*p) < kMaxMagnitude ? *p : 0.0;
}

int PairCursor::integer() const noexcept {
    const auto p = parseInteger(value());
    return p ? *p : static_cast<int>(std::clamp(real(), -1e9, 1e9));
}

} // namespace quillet::drawing
