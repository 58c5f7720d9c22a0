// Opening preview windows: the checks that come before a window, and finding the window a
// file already has.
#include "PreviewWindows.h"

#include "PreviewWindow.h"

#include "drawing/Reader.h"
#include "platform/RunError.h"

#include <QFile>
#include <QWidget>

#include <algorithm>

namespace quillet::window::preview {

PreviewWindows::PreviewWindows(QWidget* owner, PreviewReporter reporter)
    : QObject(owner), owner_(owner), reporter_(std::move(reporter)) {}

PreviewWindows::~PreviewWindows() {
    for (const Open& o : open_)
        if (o.window)
            o.window->close();
}

PreviewWindow* PreviewWindows::open(const QString& path) {
    return open(QFile::encodeName(path));
}

PreviewWindow* PreviewWindows::open(const QByteArray& path) {
    const std::string name = path.toStdString();
    platform::FileIdentity identity;
    try {
        // Opening it tells whether it is there and readable, and which file it is.
        platform::InputFile file(name);
        identity = file.identity();
        const std::string start = drawing::readStart(name);
        const drawing::FileKind kind = drawing::kindOf(start);
        if (kind != drawing::FileKind::Drawing) {
            reporter_(owner_,
                      QStringLiteral("%1\n%2").arg(QString::fromStdString(drawing::refusal(kind)),
                                                   QFile::decodeName(path)));
            return nullptr;
        }
    } catch (const platform::RunError& error) {
        reporter_(owner_, QString::fromStdString(error.what()));
        return nullptr;
    }
    std::erase_if(open_, [](const Open& o) { return o.window.isNull(); });
    for (const Open& o : open_) {
        if (o.identity == identity) {
            o.window->show();
            o.window->raise();
            o.window->activateWindow();
            o.window->load();
            return o.window;
        }
    }
    // A window of its own, not a child: it stays beside the main window, not above it.
    auto* window = new PreviewWindow(path, reporter_);
    open_.push_back({identity, window});
    window->show();
    window->load();
    return window;
}

std::vector<PreviewWindow*> PreviewWindows::windows() const {
    std::vector<PreviewWindow*> list;
    for (const Open& o : open_)
        if (o.window)
            list.push_back(o.window);
    return list;
}

} // namespace quillet::window::preview
