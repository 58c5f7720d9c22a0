// How the preview shows a failure, without the main window: its own reporter type, which the
// main window's reporter fits as it is.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quillet::window::preview {

// Shows a failure to the user over parent; the window carries on once it returns.
using PreviewReporter = std::function<void(QWidget* parent, const QString& message)>;

// Returns the reporter that shows the message in a modal error box titled Quillet.
PreviewReporter messageBoxReporter();

} // namespace quillet::window::preview
