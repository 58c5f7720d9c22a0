// The entry point of the Qt preview for a main window or a program of its own: one preview
// window per drawing, opened beside the main window (not modal), kept by scene's registry.
#pragma once

#include "ErrorReporter.h"

#include "scene/PreviewRegistry.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <vector>

class QWidget;

namespace quillet::window::qt::preview {

class PreviewWindow;

// Returns what the Qt preview windows give their sessions: the font's measure, Qt's exports,
// and the desktop entries that are Quillet's own.
scene::PreviewEnvironment previewEnvironment();

class PreviewWindows : public QObject {
    Q_OBJECT

  public:
    // Makes the entry point for owner (the main window, parent of error messages, or null);
    // failures go to reporter.
    PreviewWindows(QWidget* owner, ErrorReporter reporter);
    ~PreviewWindows() override;

    // Opens the drawing at path (its bytes as the file system spells them), as
    // scene::PreviewRegistry::open does. Returns the window, or null.
    PreviewWindow* open(const QByteArray& path);
    // The same for a path in Qt's form.
    PreviewWindow* open(const QString& path);

    // Returns the windows open now.
    std::vector<PreviewWindow*> windows() const;

  private:
    QWidget* owner_;
    ErrorReporter reporter_;
    scene::PreviewRegistry registry_;
};

} // namespace quillet::window::qt::preview
