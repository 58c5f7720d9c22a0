// An MTEXT's column settings, wherever its writer put them: its own groups, R2018's embedded
// object, or the XDATA of R2000 to R2013.
#include "ColumnGroups.h"

#include "LineLexer.h"
#include "MultiLeader.h"
#include "Numbers.h"

#include <algorithm>
#include <cmath>

namespace quillet::drawing {

namespace {

// Returns a number of an MTEXT's column settings, 0 for one that is none: odd settings lay the
// text out in one column, they never lose it.
double columnNumber(std::string_view value) noexcept {
    const auto parsed = parseReal(value);
    return parsed && std::fabs(*parsed) <= kMaxMagnitude ? *parsed : 0.0;
}

// Takes a column setting the MTEXT's own groups and its XDATA name by the same code (75 type,
// 76 count, 48 width, 49 gutter); returns whether code is one.
bool takeSharedSetting(PendingColumns& c, int code, std::string_view value) {
    switch (code) {
    case 75:
        c.type = lenientInteger(value);
        return true;
    case 76:
        c.count = lenientInteger(value);
        return true;
    case 48:
        c.width = columnNumber(value);
        return true;
    case 49:
        c.gutter = columnNumber(value);
        return true;
    default:
        return false;
    }
}

// The XDATA of R2000 to R2013: the ACAD application's ACAD_MTEXT_COLUMN_INFO (pairs of a 1070
// naming a group code and its value), ACAD_MTEXT_COLUMNS (the further columns' handles) and
// ACAD_MTEXT_DEFINED_HEIGHT.
void readColumnXData(PendingColumns& c, int code, std::string_view value) {
    if (code == 1001) {
        c.acad = trimmed(value) == "ACAD";
        c.part = 0;
        return;
    }
    if (!c.acad)
        return;
    if (code == 1000) {
        const std::string_view part = trimmed(value);
        c.part = part == "ACAD_MTEXT_COLUMN_INFO_BEGIN"      ? PendingColumns::kColumnInfo
                 : part == "ACAD_MTEXT_COLUMNS_BEGIN"        ? PendingColumns::kColumns
                 : part == "ACAD_MTEXT_DEFINED_HEIGHT_BEGIN" ? PendingColumns::kHeight
                                                             : 0;
        c.key = c.heightsLeft = -1;
        return;
    }
    if (c.part == PendingColumns::kColumns) {
        if (code == 1005 && c.linked.size() < kMostLinkedColumns)
            c.linked.push_back(handleOf(value));
        return;
    }
    if (code != 1070 && code != 1040)
        return;
    if (c.heightsLeft > 0 && code == 1040) {
        --c.heightsLeft;
        c.heights.push_back(columnNumber(value));
        return;
    }
    if (c.key < 0) {
        c.key = code == 1070 ? lenientInteger(value) : -1;
        return;
    }
    const int key = c.key;
    c.key = -1;
    if (c.part == PendingColumns::kHeight) {
        if (key == 46)
            c.definedHeight = columnNumber(value);
        return;
    }
    if (c.part != PendingColumns::kColumnInfo || takeSharedSetting(c, key, value))
        return;
    if (key == 50)
        c.heightsLeft = std::clamp(lenientInteger(value), 0, static_cast<int>(kMostLinkedColumns));
}

} // namespace

// An MTEXT's own column groups (as the DXF reference lists them) and defined height (46), and
// its XDATA.
void readColumnGroup(PendingColumns& c, int code, std::string_view value) {
    if (code == 75)
        c.ownGroups = true;
    if (takeSharedSetting(c, code, value))
        return;
    switch (code) {
    case 46:
        c.definedHeight = columnNumber(value);
        return;
    case 50: // after a 75: the count of heights, then the heights
        if (c.heightsLeft < 0) {
            c.heightsLeft =
                std::clamp(lenientInteger(value), 0, static_cast<int>(kMostLinkedColumns));
        } else if (c.heightsLeft > 0) {
            --c.heightsLeft;
            c.heights.push_back(columnNumber(value));
        }
        return;
    default:
        if (code >= 1000)
            readColumnXData(c, code, value);
        return; // 78 (reversed flow) and 79 (auto height) change nothing shown
    }
}

// The columns of R2018, in the embedded object after "101 Embedded Object".
void readEmbeddedColumnGroup(PendingColumns& c, int code, std::string_view value) {
    switch (code) {
    case 41:
        c.definedHeight = columnNumber(value);
        return;
    case 42:
        c.totalWidth = columnNumber(value);
        return;
    case 44:
        c.width = columnNumber(value);
        return;
    case 45:
        c.gutter = columnNumber(value);
        return;
    case 46:
        if (c.heights.size() < kMostLinkedColumns)
            c.heights.push_back(columnNumber(value));
        return;
    case 71:
        c.type = lenientInteger(value);
        return;
    case 72:
        c.count = lenientInteger(value);
        return;
    default:
        if (code >= 1000)
            readColumnXData(c, code, value);
        return; // the direction, place and width again (10, 11, 40), auto height, flow
    }
}

} // namespace quillet::drawing
