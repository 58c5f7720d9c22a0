// A dimension style's values by group code, and the header variables that name the same ones.
#include "DimensionStyle.h"

#include "Entities.h"

#include <array>
#include <cmath>
#include <utility>

namespace quillet::drawing {

namespace {

// The header variables kept, by the group code a DIMSTYLE entry gives each.
constexpr std::array<std::pair<std::string_view, int>, 24> kVariables{{
    {"$DIMPOST", 3},   {"$DIMSCALE", 40}, {"$DIMASZ", 41},  {"$DIMEXO", 42},   {"$DIMEXE", 44},
    {"$DIMRND", 45},   {"$DIMDLE", 46},   {"$DIMTIH", 73},  {"$DIMTOH", 74},   {"$DIMSE1", 75},
    {"$DIMSE2", 76},   {"$DIMTAD", 77},   {"$DIMZIN", 78},  {"$DIMAZIN", 79},  {"$DIMTXT", 140},
    {"$DIMTSZ", 142},  {"$DIMLFAC", 144}, {"$DIMGAP", 147}, {"$DIMCLRD", 176}, {"$DIMCLRE", 177},
    {"$DIMCLRT", 178}, {"$DIMADEC", 179}, {"$DIMDEC", 271}, {"$DIMDSEP", 278},
}};

int whole(double v) noexcept {
    return std::isfinite(v) && std::fabs(v) < 1e6 ? static_cast<int>(v) : 0;
}

// A size, which must be a finite number of sensible size to be kept.
bool size(double& to, double v) noexcept {
    if (std::isfinite(v) && std::fabs(v) < 1e12)
        to = v;
    return true;
}

} // namespace

DimensionStyle DimensionStyle::metric() {
    DimensionStyle s;
    s.arrowSize = 2.5;
    s.extensionOffset = 0.625;
    s.extensionBeyond = 1.25;
    s.textHeight = 2.5;
    s.gap = 0.625;
    s.insideHorizontal = 0;
    s.outsideHorizontal = 0;
    s.textAbove = 1;
    s.zeros = 8;
    s.decimals = 2;
    s.separator = ',';
    return s;
}

bool DimensionStyle::set(int code, double real, std::string_view text) {
    switch (code) {
    case 3:
        suffix.assign(text.substr(0, 64));
        return true;
    case 40:
        return size(scale, real);
    case 41:
        return size(arrowSize, real);
    case 42:
        return size(extensionOffset, real);
    case 44:
        return size(extensionBeyond, real);
    case 45:
        return size(rounding, real);
    case 46:
        return size(lineBeyond, real);
    case 140:
        return size(textHeight, real);
    case 142:
        return size(tickSize, real);
    case 144:
        return size(lengthFactor, real);
    case 147:
        return size(gap, real);
    case 73:
        insideHorizontal = whole(real);
        return true;
    case 74:
        outsideHorizontal = whole(real);
        return true;
    case 75:
        suppressFirst = whole(real);
        return true;
    case 76:
        suppressSecond = whole(real);
        return true;
    case 77:
        textAbove = whole(real);
        return true;
    case 78:
        zeros = whole(real);
        return true;
    case 79:
        angleZeros = whole(real);
        return true;
    case 176:
        lineColour = whole(real);
        return true;
    case 177:
        extensionColour = whole(real);
        return true;
    case 178:
        textColour = whole(real);
        return true;
    case 179:
        angleDecimals = whole(real);
        return true;
    case 271:
        decimals = whole(real);
        return true;
    case 278:
        // The separator's character code; 0 is no separator worth showing.
        separator = whole(real) > 32 && whole(real) < 127 ? whole(real) : '.';
        return true;
    default:
        return false;
    }
}

bool DimensionStyle::setVariable(std::string_view variable, double real, std::string_view text) {
    for (const auto& [known, code] : kVariables)
        if (known == variable)
            return set(code, real, text);
    return false;
}

const DimensionStyle& DimensionSettings::style(std::string_view name) const noexcept {
    for (const std::string_view wanted : {name, std::string_view(current)})
        for (const DimensionStyle& s : styles)
            if (!wanted.empty() && sameName(s.name, wanted))
                return s;
    return header;
}

} // namespace quillet::drawing
