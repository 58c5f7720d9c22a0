// A dimension style (a DIMSTYLE table entry, or the header's dimension variables): the sizes,
// units and text settings a dimension drawn from its definition points takes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet::drawing {

struct DimensionStyle {
    std::string name;
    double scale = 1;                // DIMSCALE (40); 0 is taken as 1
    double arrowSize = 0.18;         // DIMASZ (41)
    double extensionOffset = 0.0625; // DIMEXO (42)
    double extensionBeyond = 0.18;   // DIMEXE (44)
    double rounding = 0;             // DIMRND (45)
    double lineBeyond = 0;           // DIMDLE (46)
    double textHeight = 0.18;        // DIMTXT (140)
    double tickSize = 0;             // DIMTSZ (142): ticks instead of arrowheads when above 0
    double lengthFactor = 1;         // DIMLFAC (144)
    double gap = 0.09;               // DIMGAP (147)
    int insideHorizontal = 1;        // DIMTIH (73)
    int outsideHorizontal = 1;       // DIMTOH (74)
    int suppressFirst = 0;           // DIMSE1 (75)
    int suppressSecond = 0;          // DIMSE2 (76)
    int textAbove = 0;               // DIMTAD (77)
    int zeros = 0;                   // DIMZIN (78): 4 no leading, 8 no trailing zeros
    int angleZeros = 0;              // DIMAZIN (79): 1 no leading, 2 no trailing zeros
    int angleDecimals = 0;           // DIMADEC (179)
    int decimals = 4;                // DIMDEC (271)
    int separator = '.';             // DIMDSEP (278)
    int lineColour = 0;              // DIMCLRD (176), ACI: 0 BYBLOCK, 256 BYLAYER
    int extensionColour = 0;         // DIMCLRE (177)
    int textColour = 0;              // DIMCLRT (178)
    std::string suffix;              // DIMPOST (3): "<>" stands for the number

    // Returns the style with the metric defaults a drawing of $MEASUREMENT 1 starts from.
    static DimensionStyle metric();

    // Takes the value of one group code of a DIMSTYLE entry (real or integer as the code is);
    // returns false for a code it does not keep.
    bool set(int code, double real, std::string_view text);
    // Takes the value of header variable (e.g. "$DIMASZ"); returns false for one it does not
    // keep.
    bool setVariable(std::string_view variable, double real, std::string_view text);

    // Returns DIMSCALE as it multiplies sizes: 0 (scaled to a layout) is taken as 1.
    double sizeFactor() const noexcept { return scale > 0 ? scale : 1; }
};

// The dimension styles a drawing declares: the DIMSTYLE table's, each started from the
// header's dimension variables, which also serve a dimension of no known style.
struct DimensionSettings {
    bool read = false; // the header said something of them
    DimensionStyle header;
    std::vector<DimensionStyle> styles;
    std::string current; // $DIMSTYLE

    // Returns the style named name (names compared as CAD compares them, letters in either
    // case), else the current one, else the header's.
    const DimensionStyle& style(std::string_view name) const noexcept;
};

} // namespace quillet::drawing
