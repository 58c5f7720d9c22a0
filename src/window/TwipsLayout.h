#pragma once

#include <QRect>

#include <array>
#include <stdexcept>
#include <string_view>

namespace quillet::window {

inline constexpr int kTwipsPerInch = 1440;

// The window's client area, in twips.
inline constexpr int kClientWidthTwips = 8100;
inline constexpr int kClientHeightTwips = 6885;

// Where a control sits in the client area, in twips, and its place in the tab order
// (labels have one too: their access key leads to the control that follows them).
struct ControlPlace {
    std::string_view name;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
};

// clang-format off
inline constexpr std::array<ControlPlace, 15> kControlPlaces{{
    // name          left   top  width  height  tab
    {"Label1",        360,  240,  1575,   255,   3},
    {"txtFileName",  2160,  120,  3495,   375,   4},
    {"cmdCul1",      6120,  240,  1215,   495,   5},
    {"Label2",        360,  720,  1575,   255,  11},
    {"txtFileS",     2160,  600,  3495,   375,  10},
    {"cmdCul2",      6120,  840,  1215,   495,   7},
    {"Label3",        120, 1200,  2055,   255,  13},
    {"txtFileR",     2160, 1080,  3495,   375,  12},
    {"Drive1",        480, 1680,  2415,   300,   0},
    {"File1",        3360, 1680,  2295,   990,   2},
    {"Dir1",          480, 2160,  2415,  1350,   1},
    {"cmdOpen",      6120, 2160,  1215,   495,   6},
    {"File2",        3360, 2760,  2295,   990,  14},
    {"cmdExit",      6120, 2880,  1215,   495,   8},
    {"txtDis",        480, 3960,  6855,  2895,   9},
}};
// clang-format on

// Returns twips as whole pixels at dpi dots per inch, rounded to the nearest.
constexpr int twipsToPixels(int twips, double dpi) {
    const double pixels = twips * dpi / kTwipsPerInch;
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

// Returns the place of the control called name; throws std::out_of_range for another name.
constexpr const ControlPlace& placeOf(std::string_view name) {
    for (const ControlPlace& place : kControlPlaces)
        if (place.name == name)
            return place;
    throw std::out_of_range("no control of that name");
}

// Returns place in pixels, horizontal values at dpiX and vertical ones at dpiY.
inline QRect pixelRect(const ControlPlace& place, double dpiX, double dpiY) {
    return QRect(twipsToPixels(place.left, dpiX), twipsToPixels(place.top, dpiY),
                 twipsToPixels(place.width, dpiX), twipsToPixels(place.height, dpiY));
}

} // namespace quillet::window
