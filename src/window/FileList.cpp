#include "FileList.h"

#include <QDir>

namespace quillet::window {

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FileList::refill);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!refilling_ && !selectedItems().isEmpty())
            emit chosen();
    });
    connect(this, &QListWidget::itemClicked, this, &FileList::chosen);
}

void FileList::setPath(const QString& folder) {
    if (!path_.isEmpty())
        watcher_.removePath(path_);
    path_ = folder;
    watcher_.addPath(path_);
    clear();
    refill();
}

QString FileList::fileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileList::refill() {
    // A file written meanwhile shows up; the chosen one stays chosen without being chosen anew.
    const QString keep = fileName();
    refilling_ = true;
    clear();
    addItems(QDir(path_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
    if (!keep.isEmpty()) {
        const QList<QListWidgetItem*> same = findItems(keep, Qt::MatchExactly);
        if (!same.isEmpty())
            setCurrentItem(same.first());
    }
    refilling_ = false;
}

} // namespace quillet::window
