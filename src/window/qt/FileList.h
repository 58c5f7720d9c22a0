// File1 and File2 in Qt: a plain list of the names the form logic hands it.
#pragma once

#include <QListWidget>
#include <QStringList>

namespace quillet::window::qt {

// Shows the names it is given and tells which one the user chose; the form logic reads the
// folder and keeps each name's bytes.
class FileList : public QListWidget {
    Q_OBJECT

  public:
    explicit FileList(QWidget* parent = nullptr);

    // Shows names, the one at chosen chosen (none when it is negative), without raising chosen().
    void showNames(const QStringList& names, int chosen);
    // Chooses the entry at row and brings it into sight, without raising chosen().
    void choose(int row);

  signals:
    // The user chose the entry at row, by a click (also on the chosen one) or by moving with
    // the keys.
    void chosen(int row);

  private:
    bool refilling_ = false;
};

} // namespace quillet::window::qt
