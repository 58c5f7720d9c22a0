// The entry point of the preview for a main window: one preview window per drawing, opened
// beside the main window (not modal).
#pragma once

#include "PreviewReporter.h"
#include "platform/InputFile.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QWidget;

namespace quillet::window::preview {

class PreviewWindow;

class PreviewWindows : public QObject {
    Q_OBJECT

  public:
    // Makes the entry point for owner (the main window, parent of error messages); failures
    // go to reporter.
    explicit PreviewWindows(QWidget* owner, PreviewReporter reporter);
    ~PreviewWindows() override;

    // Opens the drawing at path (its bytes as the file system spells them) in a window, or
    // brings its window forward and reads it again when it is open already (the same file,
    // however named). A file that cannot be opened is reported with its run-time error
    // (53, 70, 75, 76), one that is no drawing with a message, and no window opens then.
    // Returns the window, or null.
    PreviewWindow* open(const QByteArray& path);
    // The same for a path in Qt's form.
    PreviewWindow* open(const QString& path);

    // Returns the windows open now.
    std::vector<PreviewWindow*> windows() const;

  private:
    struct Open {
        platform::FileIdentity identity;
        QPointer<PreviewWindow> window;
    };

    QWidget* owner_;
    PreviewReporter reporter_;
    std::vector<Open> open_;
};

} // namespace quillet::window::preview
