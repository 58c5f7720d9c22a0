// File1 and File2 in Qt: names shown, the user's choice told by its row.
#include "FileList.h"

namespace quillet::window::qt {

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!refilling_ && !selectedItems().isEmpty())
            emit chosen(row(selectedItems().first()));
    });
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit chosen(row(item)); });
}

void FileList::showNames(const QStringList& names, int chosen) {
    refilling_ = true;
    clear();
    addItems(names);
    refilling_ = false;
    if (chosen >= 0)
        choose(chosen);
}

void FileList::choose(int row) {
    refilling_ = true;
    setCurrentRow(row);
    scrollToItem(item(row));
    refilling_ = false;
}

} // namespace quillet::window::qt
