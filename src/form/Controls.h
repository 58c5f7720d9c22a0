// The window's fifteen controls in one table: name, kind, caption, place in twips and tab
// index, with the tab order and the access keys worked out from it. Every front end builds its
// window from this table.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace quillet::form {

// The controls, in the table's order (kControls[std::size_t(id)] is id's row).
enum class ControlId {
    Label1,
    txtFileName,
    cmdCul1,
    Label2,
    txtFileS,
    cmdCul2,
    Label3,
    txtFileR,
    Drive1,
    File1,
    Dir1,
    cmdOpen,
    File2,
    cmdExit,
    txtDis,
};

enum class ControlKind {
    Label,         // static text; its access key leads to the control after it in tab order
    TextBox,       // one-line edit box
    Button,        // push button, none of them the default or cancel one
    DriveList,     // drop-down list of the machine's drives
    DirectoryList, // the folders, Dir1
    FileList,      // the files of Dir1's folder
    ReportBox,     // multi-line box with both scroll bars, the run's report
};

struct Control {
    ControlId id;
    std::string_view name; // as the event procedures name it
    ControlKind kind;
    std::string_view text; // caption (with & before the access key) or initial text, UTF-8
    int left;              // place in the client area, in twips
    int top;
    int width;
    int height;
    int tabIndex; // labels have one too: their access key leads to the control after them
};

inline constexpr int kTwipsPerInch = 1440;

// The window's client area, in twips, and its caption until a run sets another.
inline constexpr int kClientWidthTwips = 8100;
inline constexpr int kClientHeightTwips = 6885;
inline constexpr std::string_view kInitialCaption = "Quillet";

// clang-format off
inline constexpr std::array<Control, 15> kControls{{
    // id                      name          kind                        text                       left   top  width  height  tab
    {ControlId::Label1,      "Label1",      ControlKind::Label,         "入力ファイル名(&N)",         360,  240,  1575,   255,   3},
    {ControlId::txtFileName, "txtFileName", ControlKind::TextBox,       "",                          2160,  120,  3495,   375,   4},
    {ControlId::cmdCul1,     "cmdCul1",     ControlKind::Button,        "実行1(&A)",                  6120,  240,  1215,   495,   5},
    {ControlId::Label2,      "Label2",      ControlKind::Label,         "出力ファイル名(&S)",          360,  720,  1575,   255,  11},
    {ControlId::txtFileS,    "txtFileS",    ControlKind::TextBox,       "",                          2160,  600,  3495,   375,  10},
    {ControlId::cmdCul2,     "cmdCul2",     ControlKind::Button,        "実行２(&B)",                 6120,  840,  1215,   495,   7},
    {ControlId::Label3,      "Label3",      ControlKind::Label,         "文字高の許容値(&R)",          120, 1200,  2055,   255,  13},
    {ControlId::txtFileR,    "txtFileR",    ControlKind::TextBox,       "100",                       2160, 1080,  3495,   375,  12},
    {ControlId::Drive1,      "Drive1",      ControlKind::DriveList,     "",                           480, 1680,  2415,   300,   0},
    {ControlId::File1,       "File1",       ControlKind::FileList,      "",                          3360, 1680,  2295,   990,   2},
    {ControlId::Dir1,        "Dir1",        ControlKind::DirectoryList, "",                           480, 2160,  2415,  1350,   1},
    {ControlId::cmdOpen,     "cmdOpen",     ControlKind::Button,        "開く(&O)",                   6120, 2160,  1215,   495,   6},
    {ControlId::File2,       "File2",       ControlKind::FileList,      "",                          3360, 2760,  2295,   990,  14},
    {ControlId::cmdExit,     "cmdExit",     ControlKind::Button,        "終了(&X)",                   6120, 2880,  1215,   495,   8},
    {ControlId::txtDis,      "txtDis",      ControlKind::ReportBox,     "",                           480, 3960,  6855,  2895,   9},
}};
// clang-format on

// Returns id's row of the table.
constexpr const Control& control(ControlId id) {
    return kControls[static_cast<std::size_t>(id)];
}

// Returns the tooltip of id, UTF-8; empty for a control without one. 実行1 and 実行２ say which
// drawing each writes, so that the user knows which one other programs read right.
constexpr std::string_view toolTip(ControlId id) {
    switch (id) {
    case ControlId::cmdCul1:
        return "従来の図面を書きます。文字は入力のバイトのままで、コードページを宣言しません。"
               "日本語版 Windows の CAD 向けで、ほかのソフトでは日本語が化けることがあります。";
    case ControlId::cmdCul2:
        return "コードページ 932 を宣言した図面を書きます。入力が Shift_JIS でも UTF-8 でも、"
               "どの CAD・ビューアでも日本語が正しく読めます。";
    default:
        return {};
    }
}

// Returns twips as whole pixels at dpi dots per inch, rounded to the nearest.
constexpr int twipsToPixels(int twips, double dpi) {
    const double pixels = twips * dpi / kTwipsPerInch;
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

// Returns every control, labels included, by tab index: the order to create them in when the
// toolkit walks its controls in creation order.
std::vector<ControlId> byTabIndex();

// Returns the controls the Tab key walks, by tab index, labels left out.
std::vector<ControlId> tabOrder();

// Returns the control label's access key leads to: the next one after it in tab index order
// that is no label (Label1 -> txtFileName, Label2 -> txtFileR, Label3 -> File2). Throws
// std::invalid_argument when label is no label.
ControlId accessTarget(ControlId label);

// Returns the access key of caption (the character after its "&", upper case), or 0 for none.
char accessKeyOf(std::string_view caption);

} // namespace quillet::form
