// The AutoCAD colour index (ACI) palette and how a record's colour becomes RGB: BYLAYER takes
// the layer's, BYBLOCK the insert's, and white (7) is drawn dark on a light background.
#pragma once

#include "Entities.h"

#include <cstdint>

namespace quillet::drawing {

// Returns 0xRRGGBB of ACI colour aci (1..255; others give 7's white).
std::uint32_t aciRgb(int aci) noexcept;

// Returns 0xRRGGBB for colour c of a record on layer, inside an insert of colour byBlock (the
// insert's own colour resolved, or white at the top), on a light or dark background: ACI 7
// and true white become black on a light one.
std::uint32_t rgbOf(Colour c, const Layer& layer, std::uint32_t byBlock,
                    bool lightBackground) noexcept;

} // namespace quillet::drawing
