// How the Qt windows, the main one and the previews, show a failure to the user.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quillet::window::qt {

// Shows a failure to the user over parent; the window carries on once it returns.
using ErrorReporter = std::function<void(QWidget* parent, const QString& message)>;

// Returns the reporter that shows the message in a modal error box.
ErrorReporter messageBoxReporter();

} // namespace quillet::window::qt
