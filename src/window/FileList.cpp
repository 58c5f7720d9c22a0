#include "FileList.h"

#include "platform/FolderListing.h"
#include "platform/RunError.h"

#include <algorithm>
#include <vector>

namespace quillet::window {

namespace {

// Short enough that a new drawing shows at once to the eye, long enough to cost nothing.
constexpr int kPollMilliseconds = 300;

struct Shown {
    QString text;
    QByteArray bytes;
};

std::vector<Shown> filesOf(const QByteArray& folder) {
    std::vector<Shown> files;
    try {
        for (const platform::FolderEntry& entry : platform::listFolder(folder.toStdString())) {
            if (entry.folder || entry.hidden)
                continue;
            const std::string shown = platform::displayName(entry.name);
            files.push_back({QString::fromUtf8(shown.data(), qsizetype(shown.size())),
                             QByteArray(entry.name.data(), qsizetype(entry.name.size()))});
        }
    } catch (const platform::RunError&) {
        // A folder that went away has no files to show.
    }
    std::sort(files.begin(), files.end(), [](const Shown& a, const Shown& b) {
        const int order = a.text.compare(b.text, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.bytes < b.bytes;
    });
    return files;
}

} // namespace

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    poll_.setInterval(kPollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, &FileList::refreshIfChanged);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!refilling_ && !selectedItems().isEmpty())
            emit chosen();
    });
    connect(this, &QListWidget::itemClicked, this, &FileList::chosen);
}

void FileList::setPath(const QByteArray& folder) {
    path_ = folder;
    clear();
    refresh();
    poll_.start();
}

QString FileList::fileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

QByteArray FileList::fileNameBytes() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QByteArray() : selected.first()->data(Qt::UserRole).toByteArray();
}

bool FileList::select(const QByteArray& name) {
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(Qt::UserRole).toByteArray() == name) {
            refilling_ = true;
            setCurrentRow(row);
            scrollToItem(item(row));
            refilling_ = false;
            return true;
        }
    }
    return false;
}

void FileList::refreshIfChanged() {
    if (platform::folderStamp(path_.toStdString()) != stamp_)
        refresh();
}

void FileList::refresh() {
    stamp_ = platform::folderStamp(path_.toStdString());
    // A file written meanwhile shows up; the chosen one stays chosen without being chosen anew.
    const QByteArray keep = fileNameBytes();
    refilling_ = true;
    clear();
    for (const Shown& file : filesOf(path_)) {
        auto* entry = new QListWidgetItem(file.text, this);
        entry->setData(Qt::UserRole, file.bytes);
    }
    refilling_ = false;
    if (!keep.isEmpty())
        select(keep);
}

} // namespace quillet::window
