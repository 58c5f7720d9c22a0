// One drawing's preview window: the view, a toolbar and menu (全体表示, 書き出し, 既定のアプリで
// 開く, 閉じる), a status line with what is drawn and what is not, and the reading progress
// with 中止 while a drawing is read.
#pragma once

#include "DrawingExport.h"
#include "PreviewReporter.h"

#include <QByteArray>
#include <QMainWindow>

class QMenu;
#include <QString>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quillet::scene {
class DrawingLoad;
}

namespace quillet::window::preview {

class DrawingView;

class PreviewWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Makes the window for the drawing at path (its bytes as the file system spells them);
    // failures go to reporter. Call load() to read it.
    PreviewWindow(QByteArray path, PreviewReporter reporter, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // Reads the drawing (again), keeping what is shown until the new one is there.
    void load();

    // Tells whether a read is under way.
    bool loading() const noexcept { return load_ != nullptr; }

    // Writes the view (or the whole drawing) to path, in the format its extension names;
    // returns an empty string or what went wrong.
    QString exportTo(const QString& path, bool whole) const;

    // Returns the name proposed for an export: the drawing's name with suffix.
    QString proposedExportName(const QString& suffix) const;

    const QByteArray& path() const noexcept { return path_; }
    // Returns what the status line says about the drawing (warning, counts, extents, kinds).
    QString statusLine() const;
    DrawingView* view() const noexcept { return view_; }

  signals:
    // A read ended: with a drawing shown, or not (failed or cancelled).
    void loaded(bool shown);

  private:
    void createActions();
    void pollLoad();
    void finishLoad();
    void cancelLoad();
    void showCounts();
    void showCursor(double x, double y);
    void chooseExport(bool whole);
    void openInDefaultApplication();
    // Fills menu with the desktop's programs for this drawing (never Quillet), default first.
    void listApplications(QMenu* menu);
    // Returns the drawing's path made absolute, as bytes.
    QByteArray absolutePath() const;

    QByteArray path_;
    QString displayName_;
    PreviewReporter reporter_;
    DrawingView* view_ = nullptr;
    QLabel* counts_ = nullptr;
    QLabel* cursor_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* poll_ = nullptr;
    std::unique_ptr<scene::DrawingLoad> load_;
};

} // namespace quillet::window::preview
