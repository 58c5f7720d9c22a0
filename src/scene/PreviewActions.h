// The preview window's commands in one table: their menu and button texts, tooltips and
// shortcuts, and where each stands in the menus and on the toolbar. Every front end builds
// its menus, toolbar and shortcuts from it.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quillet::scene {

enum class PreviewAction {
    Fit,               // 全体表示
    ExportView,        // 表示範囲を書き出し
    ExportWhole,       // 図面全体を書き出し
    Export,            // the toolbar's 書き出し, its menu the two above
    OpenDefault,       // 既定のアプリで開く
    ChooseApplication, // アプリを選んで開く, a menu of the desktop's programs
    Reload,            // 再読み込み
    Close,             // 閉じる
    Cancel,            // 中止, beside the progress while a drawing is read
};

// The keys a shortcut takes; a front end maps them to its own codes.
enum class Key { Home, F5, Escape, S, W };

struct Shortcut {
    Key key;
    bool ctrl = false;
};

struct ActionInfo {
    PreviewAction action;
    std::string_view menuText;   // with (&X) before the access key; empty: in no menu
    std::string_view buttonText; // on the toolbar or beside the progress; empty: none
    std::string_view toolTip;    // without the shortcut, which toolTipOf adds
    std::array<Shortcut, 2> shortcuts;
    std::size_t shortcutCount = 0;

    std::span<const Shortcut> keys() const noexcept { return {shortcuts.data(), shortcutCount}; }
};

// clang-format off
inline constexpr std::array<ActionInfo, 9> kPreviewActions{{
    {PreviewAction::Fit, "全体表示(&A)", "全体表示", "図面全体を表示します", {{{Key::Home}}}, 1},
    {PreviewAction::ExportView, "表示範囲を書き出し(&E)...", "", "", {{{Key::S, true}}}, 1},
    {PreviewAction::ExportWhole, "図面全体を書き出し(&W)...", "", "", {}, 0},
    {PreviewAction::Export, "", "書き出し", "表示範囲か図面全体を PNG・SVG・PDF に書き出します", {}, 0},
    {PreviewAction::OpenDefault, "既定のアプリで開く(&O)", "既定のアプリで開く",
     "この図面を、DXF を開く既定のアプリで開きます (▼ でほかのアプリを選べます)", {}, 0},
    {PreviewAction::ChooseApplication, "アプリを選んで開く(&P)", "", "", {}, 0},
    {PreviewAction::Reload, "再読み込み(&R)", "再読み込み", "図面をファイルから読み直します", {{{Key::F5}}}, 1},
    {PreviewAction::Close, "閉じる(&C)", "", "", {{{Key::Escape}, {Key::W, true}}}, 2},
    {PreviewAction::Cancel, "", "中止", "図面の読み込みをやめます", {}, 0},
}};
// clang-format on

// Returns action's row of kPreviewActions.
const ActionInfo& actionInfo(PreviewAction action);

// Returns a shortcut as menus write it: "Home", "Ctrl+S".
std::string shortcutText(Shortcut shortcut);

// Returns action's tooltip followed by its first shortcut: "図面全体を表示します (Home)".
std::string toolTipOf(PreviewAction action);

// Returns action's menu text followed by a tab and its first shortcut, as a Win32 menu shows
// it ("再読み込み(&R)\tF5").
std::string menuTextWithShortcut(PreviewAction action);

// One entry of a menu: an action, or a line before it.
struct MenuEntry {
    PreviewAction action;
    bool separatorBefore = false;
};

inline constexpr std::string_view kFileMenuTitle = "ファイル(&F)";
inline constexpr std::string_view kViewMenuTitle = "表示(&V)";
inline constexpr std::string_view kToolbarTitle = "ツール";

// The menu bar's two menus and the toolbar, in order. Export and OpenDefault carry menus on
// the toolbar: kExportMenu and the programs of ChooseApplication.
inline constexpr std::array<MenuEntry, 6> kFileMenu{{{PreviewAction::ExportView},
                                                     {PreviewAction::ExportWhole},
                                                     {PreviewAction::OpenDefault},
                                                     {PreviewAction::ChooseApplication},
                                                     {PreviewAction::Reload},
                                                     {PreviewAction::Close, true}}};
inline constexpr std::array<MenuEntry, 1> kViewMenu{{{PreviewAction::Fit}}};
inline constexpr std::array<PreviewAction, 4> kToolbar{
    PreviewAction::Fit, PreviewAction::Export, PreviewAction::OpenDefault, PreviewAction::Reload};
inline constexpr std::array<PreviewAction, 2> kExportMenu{PreviewAction::ExportView,
                                                          PreviewAction::ExportWhole};

} // namespace quillet::scene
