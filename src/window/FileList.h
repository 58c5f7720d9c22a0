#pragma once

#include <QByteArray>
#include <QListWidget>
#include <QString>
#include <QTimer>

#include <cstdint>

namespace quillet::window {

// Lists the files of one folder (all of them, hidden ones left out), sorted by name, and
// follows the folder as files come and go. Names are kept as the system's bytes, so that a
// name in no encoding Qt knows is listed, shown as well as it can be, and opened as it is.
class FileList : public QListWidget {
    Q_OBJECT

  public:
    explicit FileList(QWidget* parent = nullptr);

    // Shows the files of folder (its path's bytes), none of them chosen.
    void setPath(const QByteArray& folder);
    const QByteArray& path() const { return path_; }

    // Returns the name of the chosen file as shown, without its folder; empty when none is.
    QString fileName() const;
    // Returns the chosen file's name as the system's bytes; empty when none is chosen.
    QByteArray fileNameBytes() const;

    // Chooses the file called name (bytes) without raising chosen(); false when it is not
    // listed.
    bool select(const QByteArray& name);

    // Lists the folder again now, keeping the chosen file chosen.
    void refresh();

  signals:
    // The user chose a file, by a click (also on the chosen one) or by moving with the keys.
    void chosen();

  private:
    void refreshIfChanged();

    QByteArray path_;
    std::int64_t stamp_ = 0;
    QTimer poll_;
    bool refilling_ = false;
};

} // namespace quillet::window
