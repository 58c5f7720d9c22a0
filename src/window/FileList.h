#pragma once

#include <QFileSystemWatcher>
#include <QListWidget>
#include <QString>

namespace quillet::window {

// Lists the files of one folder (all of them, hidden ones left out), sorted by name, and
// follows the folder as files come and go.
class FileList : public QListWidget {
    Q_OBJECT

  public:
    explicit FileList(QWidget* parent = nullptr);

    // Shows the files of folder, none of them chosen.
    void setPath(const QString& folder);
    const QString& path() const { return path_; }

    // Returns the name of the chosen file, without its folder; empty when none is chosen.
    QString fileName() const;

  signals:
    // The user chose a file, by a click (also on the chosen one) or by moving with the keys.
    void chosen();

  private:
    void refill();

    QString path_;
    QFileSystemWatcher watcher_;
    bool refilling_ = false;
};

} // namespace quillet::window
