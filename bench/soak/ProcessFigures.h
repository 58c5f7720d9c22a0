// Reading the soak's figures of this process from the system.
#pragma once

#include "Figures.h"

namespace quillet::bench::soak {

// Returns this process's figures now, marked as taken at step.
Sample sampleNow(int step);

// Returns what this system's figures are called and how its GUI objects are counted.
FigureNames figureNames();

} // namespace quillet::bench::soak
