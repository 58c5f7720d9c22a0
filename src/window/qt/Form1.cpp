// The Qt main window: makes the controls of form/Controls.h, passes their events to
// form::Form and shows what it is told.
#include "Form1.h"

#include "DriveBox.h"
#include "FileList.h"
#include "FolderTreeModel.h"
#include "form/Controls.h"
#include "window/qt/preview/PreviewWindows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>

#include <array>

namespace quillet::window::qt {

using form::ControlId;
using form::ControlKind;

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray bytesOf(std::string_view text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

QString textOf(ControlId id) {
    return fromUtf8(form::control(id).text);
}

template <class Control> Control* named(Control* control, ControlId id) {
    control->setObjectName(fromUtf8(form::control(id).name));
    return control;
}

// Returns the local files of a drop as the system's bytes (a name in no encoding Qt knows
// travels percent-encoded in its URL and comes back byte for byte).
QList<QByteArray> droppedFiles(const QMimeData* data) {
    QList<QByteArray> files;
    if (data)
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files << QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return files;
}

QPushButton* makeButton(ControlId id, QWidget* parent) {
    auto* button = named(new QPushButton(textOf(id), parent), id);
    button->setToolTip(fromUtf8(form::toolTip(id)));
    // No button is the default one: Enter and Esc press none of them.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// The decimal and group separators of the system's locale, as the window always read them.
platform::OwnedSeparators systemSeparators() {
    const QLocale locale = QLocale::system();
    return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

} // namespace

Form1::Form1(ErrorReporter reporter, QWidget* parent)
    : QWidget(parent), reporter_(std::move(reporter)),
      form_(*this, form::Form::defaultDrives(), systemSeparators()) {
    setWindowTitle(fromUtf8(form::kInitialCaption));
    previews_ = new preview::PreviewWindows(this, reporter_);
    createControls();
    placeControls();
    setTabOrderAndAccessKeys();
    connectEvents();
    setAcceptDrops(true);
    form_.Form_Load();
    drive1_->setFocus();
    // The file lists follow the folder as files come and go.
    tick_.setInterval(form::kTickMilliseconds);
    connect(&tick_, &QTimer::timeout, this, [this] { form_.tick(); });
    tick_.start();
}

Form1::~Form1() = default;

void Form1::openGiven(const QByteArray& file) {
    form_.openGiven(file.toStdString());
}

void Form1::createControls() {
    label1_ = named(new QLabel(textOf(ControlId::Label1), this), ControlId::Label1);
    txtFileName_ =
        named(new QLineEdit(textOf(ControlId::txtFileName), this), ControlId::txtFileName);
    cmdCul1_ = makeButton(ControlId::cmdCul1, this);
    label2_ = named(new QLabel(textOf(ControlId::Label2), this), ControlId::Label2);
    txtFileS_ = named(new QLineEdit(textOf(ControlId::txtFileS), this), ControlId::txtFileS);
    cmdCul2_ = makeButton(ControlId::cmdCul2, this);
    label3_ = named(new QLabel(textOf(ControlId::Label3), this), ControlId::Label3);
    txtFileR_ = named(new QLineEdit(textOf(ControlId::txtFileR), this), ControlId::txtFileR);
    drive1_ = named(new DriveBox([this] { form_.Drive1_DropDown(); }, this), ControlId::Drive1);

    file1_ = named(new FileList(this), ControlId::File1);

    dirModel_ = new FolderTreeModel(this);
    dir1_ = named(new QTreeView(this), ControlId::Dir1);
    dir1_->setModel(dirModel_);
    dir1_->setHeaderHidden(true);
    // Long names scroll sideways instead of being cut short.
    dir1_->header()->setStretchLastSection(false);
    dir1_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    dir1_->setIndentation(12);
    dir1_->setUniformRowHeights(true);
    dir1_->setSelectionMode(QAbstractItemView::SingleSelection);
    dir1_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cmdOpen_ = makeButton(ControlId::cmdOpen, this);
    file2_ = named(new FileList(this), ControlId::File2);
    cmdExit_ = makeButton(ControlId::cmdExit, this);

    txtDis_ = named(new QPlainTextEdit(textOf(ControlId::txtDis), this), ControlId::txtDis);
    txtDis_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDis_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDis_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDis_->setTabChangesFocus(true);
}

QWidget* Form1::controlOf(ControlId id) const {
    const std::array<QWidget*, form::kControls.size()> controls{
        label1_, txtFileName_, cmdCul1_, label2_,  txtFileS_, cmdCul2_, label3_, txtFileR_,
        drive1_, file1_,       dir1_,    cmdOpen_, file2_,    cmdExit_, txtDis_};
    return controls[static_cast<std::size_t>(id)];
}

QLineEdit* Form1::boxOf(ControlId id) const {
    return qobject_cast<QLineEdit*>(controlOf(id));
}

FileList* Form1::listOf(ControlId id) const {
    return id == ControlId::File2 ? file2_ : file1_;
}

void Form1::placeControls() {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    setFixedSize(form::twipsToPixels(form::kClientWidthTwips, dpiX),
                 form::twipsToPixels(form::kClientHeightTwips, dpiY));
    for (const form::Control& place : form::kControls)
        controlOf(place.id)->setGeometry(
            form::twipsToPixels(place.left, dpiX), form::twipsToPixels(place.top, dpiY),
            form::twipsToPixels(place.width, dpiX), form::twipsToPixels(place.height, dpiY));
}

void Form1::setTabOrderAndAccessKeys() {
    QWidget* previous = nullptr;
    for (const ControlId id : form::tabOrder()) {
        if (previous)
            setTabOrder(previous, controlOf(id));
        previous = controlOf(id);
    }
    // A label's access key leads to the control after it in the tab order, which need not be
    // the box beside it.
    for (const form::Control& row : form::kControls)
        if (row.kind == ControlKind::Label)
            qobject_cast<QLabel*>(controlOf(row.id))
                ->setBuddy(controlOf(form::accessTarget(row.id)));
}

void Form1::connectEvents() {
    connect(drive1_, &QComboBox::currentIndexChanged, this,
            [this](int index) { form_.Drive1_Change(drive1_->pathAt(index).toStdString()); });
    connect(dir1_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Form1::onDir1Selected);
    // A folder opened in the tree is read again, so that folders made meanwhile show.
    connect(dir1_, &QTreeView::expanded, dirModel_, &FolderTreeModel::refresh);
    connect(file1_, &FileList::chosen, this,
            [this](int row) { form_.File1_Click(static_cast<std::size_t>(row)); });
    connect(file2_, &FileList::chosen, this,
            [this](int row) { form_.File2_Click(static_cast<std::size_t>(row)); });
    connect(cmdOpen_, &QPushButton::clicked, this, [this] { form_.cmdOpen_Click(); });
    connect(cmdCul1_, &QPushButton::clicked, this, [this] { form_.cmdCul1_Click(); });
    connect(cmdCul2_, &QPushButton::clicked, this, [this] { form_.cmdCul2_Click(); });
    connect(cmdExit_, &QPushButton::clicked, this, [this] { form_.cmdExit_Click(); });
}

void Form1::onDir1Selected() {
    if (showingFolder_)
        return;
    const QModelIndexList selected = dir1_->selectionModel()->selectedIndexes();
    if (!selected.isEmpty())
        form_.Dir1_Change(dirModel_->pathOf(selected.first()).toStdString());
}

std::string Form1::text(ControlId box) const {
    return boxOf(box)->text().toStdString();
}

void Form1::setText(ControlId box, std::string_view text) {
    boxOf(box)->setText(fromUtf8(text));
}

void Form1::setCaption(std::string_view caption) {
    setWindowTitle(fromUtf8(caption));
}

void Form1::setReport(std::string_view report) {
    // The box keeps its lines apart by itself; the run ends each with CR LF.
    txtDis_->setPlainText(fromUtf8(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void Form1::showDrives(const std::vector<std::string>& drives, std::size_t chosen) {
    QList<QByteArray> paths;
    for (const std::string& drive : drives)
        paths.append(bytesOf(drive));
    drive1_->showDrives(paths, static_cast<int>(chosen));
}

void Form1::chooseDrive(std::string_view drive) {
    drive1_->choose(bytesOf(drive));
}

void Form1::showFolder(std::string_view folder) {
    showingFolder_ = true;
    const QModelIndex index = dirModel_->indexOf(bytesOf(folder));
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        dir1_->expand(up);
    dir1_->expand(index);
    dir1_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    dir1_->scrollTo(index);
    showingFolder_ = false;
}

void Form1::showFiles(ControlId list, const std::vector<std::string>& names,
                      std::optional<std::size_t> chosen) {
    QStringList shown;
    shown.reserve(qsizetype(names.size()));
    for (const std::string& name : names)
        shown.append(fromUtf8(name));
    listOf(list)->showNames(shown, chosen ? static_cast<int>(*chosen) : -1);
}

void Form1::chooseFile(ControlId list, std::size_t index) {
    listOf(list)->choose(static_cast<int>(index));
}

void Form1::showError(std::string_view message) {
    reporter_(this, fromUtf8(message));
}

void Form1::openPreview(const std::string& path) {
    previews_->open(bytesOf(path));
}

void Form1::quit() {
    QApplication::exit(0);
}

void Form1::post(std::function<void()> task) {
    // Queued to this window: Qt drops it when the window is gone before it runs.
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    const QList<QByteArray> files = droppedFiles(event->mimeData());
    event->acceptProposedAction();
    for (const QByteArray& file : files)
        openGiven(file);
}

void Form1::closeEvent(QCloseEvent* event) {
    form_.Form_Unload();
    QWidget::closeEvent(event);
}

} // namespace quillet::window::qt
