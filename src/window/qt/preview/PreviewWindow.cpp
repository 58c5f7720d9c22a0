// The preview window's controls and the reading it waits for.
#include "PreviewWindow.h"

#include "platform/FolderListing.h"
#include "scene/DrawingLoad.h"
#include "scene/Export.h"
#include "scene/StatusText.h"

#include "DesktopApps.h"
#include "DrawingView.h"
#include "Version.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeDatabase>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace quillet::window::preview {

namespace {

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

PreviewWindow::PreviewWindow(QByteArray path, PreviewReporter reporter, QWidget* parent)
    : QMainWindow(parent), path_(std::move(path)), reporter_(std::move(reporter)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Named as the main window's lists show it, whatever encoding its bytes are in.
    const std::string file = path_.mid(path_.lastIndexOf('/') + 1).toStdString();
    displayName_ = QString::fromStdString(platform::displayName(file));
    setWindowTitle(QStringLiteral("%1 - Quillet プレビュー").arg(displayName_));
    view_ = new DrawingView(this);
    setCentralWidget(view_);
    counts_ = new QLabel(this);
    cursor_ = new QLabel(this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    progress_->setMaximumWidth(220);
    cancel_ = new QPushButton(QStringLiteral("中止"), this);
    statusBar()->addWidget(counts_, 1);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cancel_);
    statusBar()->addPermanentWidget(cursor_);
    progress_->hide();
    cancel_->hide();
    poll_ = new QTimer(this);
    poll_->setInterval(50);
    createActions();
    connect(poll_, &QTimer::timeout, this, &PreviewWindow::pollLoad);
    connect(cancel_, &QPushButton::clicked, this, &PreviewWindow::cancelLoad);
    connect(view_, &DrawingView::cursorMoved, this, &PreviewWindow::showCursor);
    resize(1000, 720);
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::createActions() {
    auto* fit = new QAction(QStringLiteral("全体表示"), this);
    fit->setShortcut(Qt::Key_Home);
    fit->setToolTip(QStringLiteral("図面全体を表示します (Home)"));
    auto* exportView = new QAction(QStringLiteral("表示範囲を書き出し..."), this);
    auto* exportWhole = new QAction(QStringLiteral("図面全体を書き出し..."), this);
    exportView->setShortcut(QKeySequence::Save);
    auto* openDefault = new QAction(QStringLiteral("既定のアプリで開く"), this);
    openDefault->setToolTip(QStringLiteral(
        "この図面を、DXF を開く既定のアプリで開きます (▼ でほかのアプリを選べます)"));
    auto* appsMenu = new QMenu(QStringLiteral("アプリを選んで開く"), this);
    connect(appsMenu, &QMenu::aboutToShow, this, [this, appsMenu] { listApplications(appsMenu); });
    auto* reload = new QAction(QStringLiteral("再読み込み"), this);
    reload->setShortcut(QKeySequence::Refresh);
    auto* close = new QAction(QStringLiteral("閉じる"), this);
    close->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)});

    connect(fit, &QAction::triggered, view_, &DrawingView::fitAll);
    connect(exportView, &QAction::triggered, this, [this] { chooseExport(false); });
    connect(exportWhole, &QAction::triggered, this, [this] { chooseExport(true); });
    connect(openDefault, &QAction::triggered, this, &PreviewWindow::openInDefaultApplication);
    connect(reload, &QAction::triggered, this, &PreviewWindow::load);
    connect(close, &QAction::triggered, this, &QWidget::close);

    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(exportView);
    file->addAction(exportWhole);
    file->addAction(openDefault);
    file->addMenu(appsMenu);
    file->addAction(reload);
    file->addSeparator();
    file->addAction(close);
    QMenu* show = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    show->addAction(fit);

    QToolBar* bar = addToolBar(QStringLiteral("ツール"));
    bar->setMovable(false);
    bar->addAction(fit);
    auto* exportMenu = new QMenu(this);
    exportMenu->addAction(exportView);
    exportMenu->addAction(exportWhole);
    auto* exportAction = bar->addAction(QStringLiteral("書き出し"));
    exportAction->setMenu(exportMenu);
    connect(exportAction, &QAction::triggered, this, [this] { chooseExport(false); });
    bar->addAction(openDefault);
    openDefault->setMenu(appsMenu);
    bar->addAction(reload);
    for (QAction* a : {fit, exportView, exportWhole, openDefault, reload, close})
        addAction(a); // shortcuts work wherever the focus is in the window
}

void PreviewWindow::load() {
    if (load_)
        return; // a read is under way and will show the file as it is now
    load_ = std::make_unique<scene::DrawingLoad>(path_.toStdString());
    if (!view_->drawing())
        view_->setMessage(QStringLiteral("読み込み中..."));
    progress_->setValue(0);
    progress_->show();
    cancel_->show();
    poll_->start();
}

void PreviewWindow::pollLoad() {
    if (!load_)
        return;
    if (load_->total() > 0)
        progress_->setValue(static_cast<int>(1000.0 * load_->fraction()));
    if (load_->indexing())
        progress_->setFormat(QStringLiteral("索引を作成中"));
    else
        progress_->setFormat(QStringLiteral("%p%"));
    if (load_->finished())
        finishLoad();
}

void PreviewWindow::finishLoad() {
    poll_->stop();
    progress_->hide();
    cancel_->hide();
    std::unique_ptr<scene::DrawingLoad> done = std::move(load_);
    std::shared_ptr<drawing::Drawing> read = done->takeDrawing();
    if (read) {
        view_->setDrawing(std::move(read));
        showCounts();
        emit loaded(true);
        return;
    }
    const bool cancelled = done->cancelled();
    const QString error = qText(done->error());
    emit loaded(false);
    if (view_->drawing())
        return; // a reload that did not come through leaves the last drawing shown
    if (!cancelled)
        reporter_(this, error);
    close();
}

void PreviewWindow::cancelLoad() {
    if (load_)
        load_->cancel();
}

void PreviewWindow::showCounts() {
    const scene::StatusText status = scene::statusOf(*view_->drawing());
    counts_->setText(qText(status.joined()));
    counts_->setToolTip(qText(status.notDrawnDetail));
}

QString PreviewWindow::statusLine() const {
    return counts_->text();
}

void PreviewWindow::showCursor(double x, double y) {
    cursor_->setText(qText(scene::cursorText(x, y, 1 / view_->transform().scale)));
}

QString PreviewWindow::proposedExportName(const QString& suffix) const {
    const std::filesystem::path name =
        scene::proposedExportName(path_.toStdString(), suffix.toStdString());
    return QFile::decodeName(QByteArray::fromStdString(name.string()));
}

QString PreviewWindow::exportTo(const QString& path, bool whole) const {
    if (!view_->drawing())
        return qText(scene::kNothingToExport);
    return exportDrawing(*view_->drawing(), view_->transform(), whole, path, displayName_);
}

void PreviewWindow::chooseExport(bool whole) {
    if (!view_->drawing())
        return;
    QStringList filters;
    for (const scene::ExportChoice& choice : scene::kExportChoices)
        filters << qText(scene::filterOf(choice));
    QString filter;
    const QString path = QFileDialog::getSaveFileName(this, qText(scene::exportTitle(whole)),
                                                      proposedExportName(QStringLiteral("png")),
                                                      filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty())
        return;
    QString target = path;
    const auto chosen = static_cast<std::size_t>(std::max<qsizetype>(filters.indexOf(filter), 0));
    if (QFileInfo(target).suffix().isEmpty())
        target += '.' + qText(scene::kExportChoices[chosen].suffix);
    const QString error = exportTo(target, whole);
    if (!error.isEmpty())
        reporter_(this, error);
}

QByteArray PreviewWindow::absolutePath() const {
    return path_.startsWith('/') ? path_ : QFile::encodeName(QDir::currentPath()) + '/' + path_;
}

namespace {

// The desktop's programs for the drawing at path, never this program itself.
QList<DesktopApp> applicationsForDrawing(const QByteArray& path) {
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(QFile::decodeName(path), QMimeDatabase::MatchExtension);
    QStringList types{QStringLiteral("image/vnd.dxf")};
    for (const QString& name : QStringList{type.name()} + type.aliases())
        if (!types.contains(name))
            types << name;
    // Both of this program's entries: the menu's and the hidden one under "Open with".
    QStringList own;
    for (const std::string_view id : {kAppId, kOpenWithId})
        own << QString::fromUtf8(id.data(), qsizetype(id.size())) + QStringLiteral(".desktop");
    return applicationsFor(types, own);
}

} // namespace

void PreviewWindow::openInDefaultApplication() {
    const QList<DesktopApp> apps = applicationsForDrawing(path_);
    if (apps.isEmpty() || !startDetached(commandFor(apps.first().exec, absolutePath())))
        reporter_(this, QStringLiteral("この図面を開くほかのアプリが見つかりません。"));
}

void PreviewWindow::listApplications(QMenu* menu) {
    menu->clear();
    const QByteArray file = absolutePath();
    for (const DesktopApp& app : applicationsForDrawing(path_)) {
        QAction* action =
            menu->addAction(app.isDefault ? app.name + QStringLiteral("（既定）") : app.name);
        connect(action, &QAction::triggered, this, [this, exec = app.exec, file] {
            if (!startDetached(commandFor(exec, file)))
                reporter_(this, QStringLiteral("このアプリを起動できません。"));
        });
    }
    if (menu->isEmpty())
        menu->addAction(QStringLiteral("DXF を開くほかのアプリが見つかりません"))
            ->setEnabled(false);
}

} // namespace quillet::window::preview
