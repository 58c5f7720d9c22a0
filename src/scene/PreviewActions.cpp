// The preview's command table, looked up and written out.
#include "PreviewActions.h"

#include <stdexcept>

namespace quillet::scene {

const ActionInfo& actionInfo(PreviewAction action) {
    for (const ActionInfo& info : kPreviewActions)
        if (info.action == action)
            return info;
    throw std::logic_error("a preview action without a row");
}

std::string shortcutText(Shortcut shortcut) {
    std::string text = shortcut.ctrl ? "Ctrl+" : "";
    switch (shortcut.key) {
    case Key::Home:
        return text + "Home";
    case Key::F5:
        return text + "F5";
    case Key::Escape:
        return text + "Esc";
    case Key::S:
        return text + "S";
    case Key::W:
        return text + "W";
    }
    return text;
}

std::string toolTipOf(PreviewAction action) {
    const ActionInfo& info = actionInfo(action);
    std::string tip(info.toolTip);
    if (!tip.empty() && !info.keys().empty())
        tip += " (" + shortcutText(info.keys().front()) + ")";
    return tip;
}

std::string menuTextWithShortcut(PreviewAction action) {
    const ActionInfo& info = actionInfo(action);
    std::string text(info.menuText);
    if (!info.keys().empty())
        text += "\t" + shortcutText(info.keys().front());
    return text;
}

} // namespace quillet::scene
