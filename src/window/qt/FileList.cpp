// File1 and File2 in Qt: names shown, the user's choice told by its row.
#include "FileList.h"

#include <QScrollBar>

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

void FileList::showNames(const QStringList& names, int chosen, bool keepPlace) {
    const int place = keepPlace ? verticalScrollBar()->value() : 0;
    refilling_ = true;
    clear();
    addItems(names);
    // Laid out now, so that the scroll bar takes the place; the chosen entry comes into sight
    // only when it is out of it.
    doItemsLayout();
    verticalScrollBar()->setValue(place);
    if (chosen >= 0) {
        setCurrentRow(chosen);
        scrollToItem(item(chosen));
    }
    refilling_ = false;
}

void FileList::choose(int row) {
    refilling_ = true;
    setCurrentRow(row);
    scrollToItem(item(row));
    refilling_ = false;
}

} // namespace quillet::window::qt
