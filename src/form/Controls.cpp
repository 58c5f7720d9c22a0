// The tab order and access keys worked out from the control table.
#include "Controls.h"

#include <algorithm>
#include <stdexcept>

namespace quillet::form {

std::vector<ControlId> byTabIndex() {
    std::vector<ControlId> order;
    for (const Control& row : kControls)
        order.push_back(row.id);
    std::sort(order.begin(), order.end(),
              [](ControlId a, ControlId b) { return control(a).tabIndex < control(b).tabIndex; });
    return order;
}

std::vector<ControlId> tabOrder() {
    std::vector<ControlId> order = byTabIndex();
    std::erase_if(order, [](ControlId id) { return control(id).kind == ControlKind::Label; });
    return order;
}

ControlId accessTarget(ControlId label) {
    if (control(label).kind != ControlKind::Label)
        throw std::invalid_argument("an access target belongs to a label");
    const std::vector<ControlId> order = byTabIndex();
    const auto at = std::find(order.begin(), order.end(), label) - order.begin();
    // After the last tab index the walk goes on from the first, as Tab does.
    for (std::size_t step = 1; step < order.size(); ++step) {
        const ControlId next = order[(std::size_t(at) + step) % order.size()];
        if (control(next).kind != ControlKind::Label)
            return next;
    }
    throw std::invalid_argument("no control but labels");
}

char accessKeyOf(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        // "&&" is a plain "&".
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const char key = caption[i + 1];
        return key >= 'a' && key <= 'z' ? char(key - 'a' + 'A') : key;
    }
    return 0;
}

} // namespace quillet::form
