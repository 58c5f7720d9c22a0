// One drawing's preview window in Qt: the view, the menus and toolbar of the preview's command
// table, a status line, and the reading progress with 中止. What it does is decided by its
// scene::PreviewSession.
#pragma once

#include "DesktopApps.h"
#include "ErrorReporter.h"

#include "scene/PreviewSession.h"
#include "scene/PreviewView.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace quillet::window::qt::preview {

class DrawingView;

class PreviewWindow : public QMainWindow, private scene::PreviewView {
    Q_OBJECT

  public:
    // Makes the window for the drawing at path (its bytes as the file system spells them);
    // failures go to reporter. Its session reads nothing until it is loaded.
    PreviewWindow(QByteArray path, scene::PreviewEnvironment environment, ErrorReporter reporter,
                  QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // Returns the window whose session is session.
    static PreviewWindow* of(scene::PreviewSession& session);

    scene::PreviewSession& session() noexcept { return *session_; }
    DrawingView* view() const noexcept { return view_; }
    bool loading() const noexcept { return session_->loading(); }
    // Returns what the status line says about the drawing (warning, counts, extents, kinds).
    QString statusLine() const;
    // Writes the view (or the whole drawing) to path; returns an empty string or what went
    // wrong.
    QString exportTo(const QString& path, bool whole);

  signals:
    // A read ended: with a drawing shown, or not (failed or cancelled).
    void loaded(bool shown);

  private:
    void createActions();
    void listApplications(QMenu* menu);

    void setTitle(std::string_view title) override;
    void redraw() override;
    void setMessage(std::string_view message) override;
    void setStatus(std::string_view line, std::string_view toolTip) override;
    void setCursorText(std::string_view text) override;
    void showProgress(int permille) override;
    void hideProgress() override;
    void setPolling(bool on) override;
    void showError(std::string_view message) override;
    std::optional<scene::SaveChoice> askSavePath(const scene::SaveRequest& request) override;
    std::vector<scene::Application> applications(const std::string& path) override;
    bool startApplication(const scene::Application& app, const std::string& path) override;
    bool chooseApplication(const std::string& path) override;
    void bringForward() override;
    void closeWindow() override;

    ErrorReporter reporter_;
    DrawingView* view_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* cursor_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer poll_;
    std::map<scene::PreviewAction, QAction*> actions_;
    // The desktop's programs listed last, by id: their Exec lines.
    QList<DesktopApp> desktopApps_;
    std::unique_ptr<scene::PreviewSession> session_;
};

} // namespace quillet::window::qt::preview
