// The preview window's widgets, built from the command table, and what its session tells it.
#include "PreviewWindow.h"

#include "DrawingView.h"

#include "scene/PreviewActions.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeDatabase>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace quillet::window::qt::preview {

namespace {

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QKeySequence keyOf(scene::Shortcut shortcut) {
    Qt::Key key = Qt::Key_unknown;
    switch (shortcut.key) {
    case scene::Key::Home:
        key = Qt::Key_Home;
        break;
    case scene::Key::F5:
        key = Qt::Key_F5;
        break;
    case scene::Key::Escape:
        key = Qt::Key_Escape;
        break;
    case scene::Key::S:
        key = Qt::Key_S;
        break;
    case scene::Key::W:
        key = Qt::Key_W;
        break;
    }
    return shortcut.ctrl ? QKeySequence(Qt::CTRL | key) : QKeySequence(key);
}

} // namespace

PreviewWindow::PreviewWindow(QByteArray path, scene::PreviewEnvironment environment,
                             ErrorReporter reporter, QWidget* parent)
    : QMainWindow(parent), reporter_(std::move(reporter)) {
    setAttribute(Qt::WA_DeleteOnClose);
    session_ = std::make_unique<scene::PreviewSession>(static_cast<scene::PreviewView&>(*this),
                                                       path.toStdString(), std::move(environment));
    session_->onLoaded = [this](bool shown) { emit loaded(shown); };
    view_ = new DrawingView(session_->viewState(), this);
    setCentralWidget(view_);
    status_ = new QLabel(this);
    cursor_ = new QLabel(this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(220);
    cancel_ =
        new QPushButton(qText(scene::actionInfo(scene::PreviewAction::Cancel).buttonText), this);
    cancel_->setToolTip(qText(scene::toolTipOf(scene::PreviewAction::Cancel)));
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cancel_);
    statusBar()->addPermanentWidget(cursor_);
    progress_->hide();
    cancel_->hide();
    poll_.setInterval(scene::kPollMilliseconds);
    createActions();
    connect(&poll_, &QTimer::timeout, this, [this] { session_->poll(); });
    connect(cancel_, &QPushButton::clicked, this,
            [this] { session_->run(scene::PreviewAction::Cancel); });
    connect(view_, &DrawingView::cursorMoved, this,
            [this](double x, double y) { session_->cursorMoved(x, y); });
    resize(1000, 720);
}

PreviewWindow::~PreviewWindow() = default;

PreviewWindow* PreviewWindow::of(scene::PreviewSession& session) {
    // Every session of the Qt registry belongs to one of these windows.
    return static_cast<PreviewWindow*>(&session.view());
}

void PreviewWindow::createActions() {
    for (const scene::ActionInfo& info : scene::kPreviewActions) {
        if (info.action == scene::PreviewAction::Cancel)
            continue;
        auto* action =
            new QAction(qText(info.menuText.empty() ? info.buttonText : info.menuText), this);
        if (!info.buttonText.empty())
            action->setIconText(qText(info.buttonText));
        action->setToolTip(qText(scene::toolTipOf(info.action)));
        QList<QKeySequence> keys;
        for (const scene::Shortcut& key : info.keys())
            keys << keyOf(key);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this,
                [this, which = info.action] { session_->run(which); });
        actions_[info.action] = action;
        addAction(action); // shortcuts work wherever the focus is in the window
    }
    auto* appsMenu =
        new QMenu(qText(scene::actionInfo(scene::PreviewAction::ChooseApplication).menuText), this);
    connect(appsMenu, &QMenu::aboutToShow, this, [this, appsMenu] { listApplications(appsMenu); });
    actions_[scene::PreviewAction::ChooseApplication]->setMenu(appsMenu);

    const auto fill = [this](QMenu* menu, const auto& entries) {
        for (const scene::MenuEntry& entry : entries) {
            if (entry.separatorBefore)
                menu->addSeparator();
            menu->addAction(actions_.at(entry.action));
        }
    };
    fill(menuBar()->addMenu(qText(scene::kFileMenuTitle)), scene::kFileMenu);
    fill(menuBar()->addMenu(qText(scene::kViewMenuTitle)), scene::kViewMenu);

    auto* exportMenu = new QMenu(this);
    for (const scene::PreviewAction action : scene::kExportMenu)
        exportMenu->addAction(actions_.at(action));
    actions_.at(scene::PreviewAction::Export)->setMenu(exportMenu);
    actions_.at(scene::PreviewAction::OpenDefault)->setMenu(appsMenu);
    QToolBar* bar = addToolBar(qText(scene::kToolbarTitle));
    bar->setMovable(false);
    for (const scene::PreviewAction action : scene::kToolbar) {
        bar->addAction(actions_.at(action));
        // A click runs the button's own command, its arrow opens the menu.
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(actions_.at(action))))
            if (actions_.at(action)->menu())
                button->setPopupMode(QToolButton::MenuButtonPopup);
    }
}

void PreviewWindow::listApplications(QMenu* menu) {
    menu->clear();
    const std::vector<scene::Application> apps = session_->applications();
    for (const scene::Application& app : apps) {
        QAction* action = menu->addAction(qText(scene::PreviewSession::menuTextOf(app)));
        connect(action, &QAction::triggered, this, [this, app] { session_->openWith(app); });
    }
    if (apps.empty())
        menu->addAction(qText(scene::kNoApplicationEntry))->setEnabled(false);
}

QString PreviewWindow::statusLine() const {
    return qText(session_->statusLine());
}

QString PreviewWindow::exportTo(const QString& path, bool whole) {
    return qText(session_->exportTo(QFile::encodeName(path).toStdString(), whole));
}

void PreviewWindow::setTitle(std::string_view title) {
    setWindowTitle(qText(title));
}

void PreviewWindow::redraw() {
    view_->update();
}

void PreviewWindow::setMessage(std::string_view message) {
    view_->setMessage(qText(message));
}

void PreviewWindow::setStatus(std::string_view line, std::string_view toolTip) {
    status_->setText(qText(line));
    status_->setToolTip(qText(toolTip));
}

void PreviewWindow::setCursorText(std::string_view text) {
    cursor_->setText(qText(text));
}

void PreviewWindow::showProgress(int permille) {
    progress_->setValue(permille);
    progress_->show();
    cancel_->show();
}

void PreviewWindow::hideProgress() {
    progress_->hide();
    cancel_->hide();
}

void PreviewWindow::setPolling(bool on) {
    if (on)
        poll_.start();
    else
        poll_.stop();
}

void PreviewWindow::showError(std::string_view message) {
    reporter_(this, qText(message));
}

std::optional<scene::SaveChoice> PreviewWindow::askSavePath(const scene::SaveRequest& request) {
    QStringList filters;
    for (const scene::FileFilter& filter : request.filters)
        filters << QStringLiteral("%1 (*.%2)").arg(qText(filter.name), qText(filter.suffix));
    QString chosen;
    const QString path = QFileDialog::getSaveFileName(
        this, qText(request.title), QFile::decodeName(QByteArray::fromStdString(request.proposed)),
        filters.join(QStringLiteral(";;")), &chosen);
    if (path.isEmpty())
        return std::nullopt;
    return scene::SaveChoice{
        QFile::encodeName(path).toStdString(),
        static_cast<std::size_t>(std::max<qsizetype>(filters.indexOf(chosen), 0))};
}

std::vector<scene::Application> PreviewWindow::applications(const std::string& path) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(
        QFile::decodeName(QByteArray::fromStdString(path)), QMimeDatabase::MatchExtension);
    QStringList types{QStringLiteral("image/vnd.dxf")};
    for (const QString& name : QStringList{type.name()} + type.aliases())
        if (!types.contains(name))
            types << name;
    desktopApps_ = applicationsFor(types);
    std::vector<scene::Application> apps;
    for (const DesktopApp& app : desktopApps_)
        apps.push_back({app.id.toStdString(), app.name.toStdString(), app.isDefault});
    return apps;
}

bool PreviewWindow::startApplication(const scene::Application& app, const std::string& path) {
    for (const DesktopApp& desktop : desktopApps_)
        if (desktop.id.toStdString() == app.id)
            return startDetached(commandFor(desktop.exec, QByteArray::fromStdString(path)));
    return false;
}

bool PreviewWindow::chooseApplication(const std::string&) {
    return false; // the desktop has no chooser every program can call
}

void PreviewWindow::bringForward() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void PreviewWindow::closeWindow() {
    // Deleted by Qt once the call that asked has returned.
    close();
}

} // namespace quillet::window::qt::preview
