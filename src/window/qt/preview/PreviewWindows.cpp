// The Qt preview's windows, made for the registry.
#include "PreviewWindows.h"

#include "DrawingExport.h"
#include "DrawingPainter.h"
#include "PreviewWindow.h"
#include "Version.h"

#include <QFile>
#include <QWidget>

namespace quillet::window::qt::preview {

scene::PreviewEnvironment previewEnvironment() {
    scene::PreviewEnvironment environment;
    environment.toolkit = &qtExport();
    // Both of this program's entries: the menu's and the hidden one under "Open with".
    for (const std::string_view id : {kAppId, kOpenWithId})
        environment.ownApplications.push_back(std::string(id) + ".desktop");
    return environment;
}

PreviewWindows::PreviewWindows(QWidget* owner, ErrorReporter reporter)
    : QObject(owner), owner_(owner), reporter_(std::move(reporter)),
      registry_(
          [this](const std::string& path) {
              // A window of its own, not a child: it stays beside the main window, not above.
              auto* window = new PreviewWindow(QByteArray::fromStdString(path),
                                               previewEnvironment(), reporter_);
              window->show();
              return &window->session();
          },
          [this](std::string_view message) {
              reporter_(owner_, QString::fromUtf8(message.data(), qsizetype(message.size())));
          }) {}

PreviewWindows::~PreviewWindows() = default;

PreviewWindow* PreviewWindows::open(const QString& path) {
    return open(QFile::encodeName(path));
}

PreviewWindow* PreviewWindows::open(const QByteArray& path) {
    scene::PreviewSession* session = registry_.open(path.toStdString());
    return session ? PreviewWindow::of(*session) : nullptr;
}

std::vector<PreviewWindow*> PreviewWindows::windows() const {
    std::vector<PreviewWindow*> list;
    for (scene::PreviewSession* session : registry_.sessions())
        list.push_back(PreviewWindow::of(*session));
    return list;
}

} // namespace quillet::window::qt::preview
