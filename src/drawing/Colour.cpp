// The ACI palette, made from its rule: 1-9 named, 10-249 twenty-four hues of five shades with a
// full and a half saturation each, 250-255 greys.
#include "Colour.h"

#include <array>
#include <cmath>

namespace quillet::drawing {

namespace {

std::uint32_t pack(double r, double g, double b) noexcept {
    auto c = [](double v) { return static_cast<std::uint32_t>(std::lround(v)) & 0xFF; };
    return c(r) << 16 | c(g) << 8 | c(b);
}

std::array<std::uint32_t, 256> makePalette() noexcept {
    std::array<std::uint32_t, 256> p{};
    const std::uint32_t named[10] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                     0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
    for (int i = 0; i < 10; ++i)
        p[static_cast<std::size_t>(i)] = named[i];
    const double shades[5] = {255, 165, 127, 76, 38};
    for (int i = 10; i < 250; ++i) {
        const double hue = (i / 10 - 1) * 15.0;
        const double v = shades[(i % 10) / 2];
        const double low = (i % 2) ? v / 2 : 0; // the odd ones are half saturated
        // Hue around the circle: the channel's share between low and v.
        auto channel = [&](double offset) {
            double h = std::fmod(hue + offset, 360.0);
            const double k = h < 60    ? 1
                             : h < 120 ? (120 - h) / 60
                             : h < 240 ? 0
                             : h < 300 ? (h - 240) / 60
                                       : 1;
            return low + (v - low) * k;
        };
        p[static_cast<std::size_t>(i)] = pack(channel(0), channel(-120 + 360), channel(-240 + 360));
    }
    const double greys[6] = {51, 91, 132, 173, 214, 255};
    for (int i = 0; i < 6; ++i)
        p[static_cast<std::size_t>(250 + i)] = pack(greys[i], greys[i], greys[i]);
    return p;
}

} // namespace

std::uint32_t aciRgb(int aci) noexcept {
    static const std::array<std::uint32_t, 256> palette = makePalette();
    return aci >= 1 && aci <= 255 ? palette[static_cast<std::size_t>(aci)] : 0xFFFFFF;
}

std::uint32_t rgbOf(Colour c, const Layer& layer, std::uint32_t byBlock,
                    bool lightBackground) noexcept {
    std::uint32_t rgb;
    switch (c.kind()) {
    case Colour::kByBlock:
        rgb = byBlock;
        break;
    case Colour::kIndex:
        rgb = aciRgb(static_cast<int>(c.value & 0xFF));
        break;
    case Colour::kTrue:
        rgb = c.value & 0xFFFFFF;
        break;
    default:
        rgb = layer.colour.kind() == Colour::kTrue
                  ? layer.colour.value & 0xFFFFFF
                  : aciRgb(static_cast<int>(layer.colour.value & 0xFF));
        break;
    }
    if (lightBackground && rgb == 0xFFFFFF)
        rgb = 0x000000;
    return rgb;
}

} // namespace quillet::drawing
