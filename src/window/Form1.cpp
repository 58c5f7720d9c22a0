#include "Form1.h"

#include "DriveBox.h"
#include "DriveList.h"
#include "FileList.h"
#include "FolderTreeModel.h"
#include "TwipsLayout.h"
#include "platform/FolderListing.h"
#include "platform/NumberText.h"
#include "platform/OsError.h"
#include "platform/RunError.h"
#include "window/qt/preview/PreviewWindows.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <exception>
#include <string>

namespace quillet::window {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray bytesOf(const std::string& text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

template <class Control> Control* named(Control* control, const char* name) {
    control->setObjectName(QLatin1String(name));
    return control;
}

QPushButton* makeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = named(new QPushButton(caption, parent), name);
    // No button is the default one: Enter and Esc press none of them.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

Form1::Form1(ErrorReporter reporter, QWidget* parent)
    : QWidget(parent), reporter_(std::move(reporter)) {
    setWindowTitle(QStringLiteral("Quillet"));
    previews_ = new preview::PreviewWindows(this, reporter_);
    createControls();
    placeControls();
    setTabOrderAndAccessKeys();

    const QByteArray current = bytesOf(platform::absoluteFolder("."));
    QStringList roots;
    for (int i = 0; i < drive1_->count(); ++i)
        roots << drive1_->itemText(i);
    drive1Drive_ = driveRootOf(QString::fromUtf8(current), roots);
    drive1_->setCurrentIndex(static_cast<int>(roots.indexOf(drive1Drive_)));

    connectEvents();
    setDir1Path(current, true);
    drive1_->setFocus();
}

void Form1::openGiven(const QByteArray& file) {
    const std::string path = platform::absoluteFolder(file.toStdString());
    if (file.toLower().endsWith(".dxf")) {
        previews_->open(bytesOf(path));
        return;
    }
    const std::string folder = platform::folderOf(path);
    const std::string name = path.substr(folder.size() == 1 ? 1 : folder.size() + 1);
    if (!setDir1Path(bytesOf(folder), true))
        return;
    if (!file1_->select(bytesOf(name))) {
        reporter_(this, fromUtf8(platform::RunError(platform::ErrorNumber::FileNotFound,
                                                    platform::displayName(path))
                                     .what()));
        return;
    }
    File1_Click();
}

void Form1::createControls() {
    label1_ = named(new QLabel(QStringLiteral("入力ファイル名(&N)"), this), "Label1");
    txtFileName_ = named(new QLineEdit(this), "txtFileName");
    cmdCul1_ = makeButton(QStringLiteral("実行1(&A)"), "cmdCul1", this);
    label2_ = named(new QLabel(QStringLiteral("出力ファイル名(&S)"), this), "Label2");
    txtFileS_ = named(new QLineEdit(this), "txtFileS");
    cmdCul2_ = makeButton(QStringLiteral("実行２(&B)"), "cmdCul2", this);
    label3_ = named(new QLabel(QStringLiteral("文字高の許容値(&R)"), this), "Label3");
    txtFileR_ = named(new QLineEdit(QStringLiteral("100"), this), "txtFileR");
    drive1_ =
        named(new DriveBox([] { return pickableRoots(mountedFileSystems()); }, this), "Drive1");

    file1_ = named(new FileList(this), "File1");

    dirModel_ = new FolderTreeModel(this);
    dir1_ = named(new QTreeView(this), "Dir1");
    dir1_->setModel(dirModel_);
    dir1_->setHeaderHidden(true);
    // Long names scroll sideways instead of being cut short.
    dir1_->header()->setStretchLastSection(false);
    dir1_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    dir1_->setIndentation(12);
    dir1_->setUniformRowHeights(true);
    dir1_->setSelectionMode(QAbstractItemView::SingleSelection);
    dir1_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cmdOpen_ = makeButton(QStringLiteral("開く(&O)"), "cmdOpen", this);
    file2_ = named(new FileList(this), "File2");
    cmdExit_ = makeButton(QStringLiteral("終了(&X)"), "cmdExit", this);

    txtDis_ = named(new QPlainTextEdit(this), "txtDis");
    txtDis_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDis_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDis_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDis_->setTabChangesFocus(true);
}

void Form1::placeControls() {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    setFixedSize(twipsToPixels(kClientWidthTwips, dpiX), twipsToPixels(kClientHeightTwips, dpiY));
    for (const ControlPlace& place : kControlPlaces) {
        auto* control = findChild<QWidget*>(fromUtf8(place.name), Qt::FindDirectChildrenOnly);
        control->setGeometry(pixelRect(place, dpiX, dpiY));
    }
}

void Form1::setTabOrderAndAccessKeys() {
    std::array<const ControlPlace*, kControlPlaces.size()> order{};
    std::transform(kControlPlaces.begin(), kControlPlaces.end(), order.begin(),
                   [](const ControlPlace& place) { return &place; });
    std::sort(order.begin(), order.end(), [](const ControlPlace* a, const ControlPlace* b) {
        return a->tabIndex < b->tabIndex;
    });
    auto controlAt = [&](std::size_t i) {
        return findChild<QWidget*>(fromUtf8(order[i]->name), Qt::FindDirectChildrenOnly);
    };

    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < order.size(); ++i) {
        QWidget* control = controlAt(i);
        if (qobject_cast<QLabel*>(control))
            continue;
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
    // A label's access key leads to the control after it in the tab order, which need not be
    // the box beside it.
    for (std::size_t i = 0; i < order.size(); ++i) {
        auto* label = qobject_cast<QLabel*>(controlAt(i));
        if (!label)
            continue;
        for (std::size_t step = 1; step < order.size(); ++step) {
            QWidget* next = controlAt((i + step) % order.size());
            if (!qobject_cast<QLabel*>(next)) {
                label->setBuddy(next);
                break;
            }
        }
    }
}

void Form1::connectEvents() {
    connect(drive1_, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
    connect(dir1_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Form1::onDir1Selected);
    // A folder opened in the tree is read again, so that folders made meanwhile show.
    connect(dir1_, &QTreeView::expanded, dirModel_, &FolderTreeModel::refresh);
    connect(file1_, &FileList::chosen, this, &Form1::File1_Click);
    connect(file2_, &FileList::chosen, this, &Form1::File2_Click);
    connect(cmdOpen_, &QPushButton::clicked, this, &Form1::cmdOpen_Click);
    connect(cmdCul1_, &QPushButton::clicked, this, &Form1::cmdCul1_Click);
    connect(cmdCul2_, &QPushButton::clicked, this, &Form1::cmdCul2_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &Form1::cmdExit_Click);
}

void Form1::Drive1_Change() {
    const QString drive = drive1_->currentText();
    if (setDir1Path(drive.toUtf8(), true)) {
        drive1Drive_ = drive;
        return;
    }
    // A drive that is not ready leaves the previous one chosen.
    const QSignalBlocker blocker(drive1_);
    drive1_->setCurrentIndex(drive1_->findText(drive1Drive_));
}

void Form1::Dir1_Change() {
    file1_->setPath(dir1Path_);
    file2_->setPath(dir1Path_);
    toOpen_.clear();
}

void Form1::File1_Click() {
    chosenShown_ = file1_->fileName();
    chosenBytes_ = file1_->fileNameBytes();
    txtFileName_->setText(chosenShown_);
    txtFileS_->setText(chosenShown_ + QStringLiteral(".dxf"));
}

void Form1::File2_Click() {
    // Only what 開く opens; no box changes.
    toOpen_ = file2_->fileNameBytes();
}

void Form1::cmdOpen_Click() {
    const QByteArray name =
        toOpen_.isEmpty() ? QByteArray::fromStdString(runInputs().outputName) : toOpen_;
    previews_->open(bytesOf(platform::entryPath(dir1Path_.toStdString(), name.toStdString())));
}

conversion::RunInputs Form1::runInputs() const {
    const QString input = txtFileName_->text();
    const QString output = txtFileS_->text();
    const bool chosenAsShown = !chosenBytes_.isEmpty() && input == chosenShown_;
    const bool proposedAsShown =
        !chosenBytes_.isEmpty() && output == chosenShown_ + QStringLiteral(".dxf");
    return {dir1Path_.toStdString(),
            chosenAsShown ? chosenBytes_.toStdString() : input.toStdString(),
            proposedAsShown ? (chosenBytes_ + ".dxf").toStdString() : output.toStdString(),
            txtFileR_->text().toStdString()};
}

void Form1::cmdCul1_Click() {
    runButton({conversion::Drawing::Classic, conversion::InputEncoding::Auto});
}

void Form1::cmdCul2_Click() {
    runButton({conversion::Drawing::Declared, conversion::InputEncoding::Auto});
}

void Form1::runButton(conversion::DrawingOptions options) {
    const QLocale locale = QLocale::system();
    const std::string decimal = locale.decimalPoint().toStdString();
    const std::string group = locale.groupSeparator().toStdString();
    const conversion::RunInputs inputs = runInputs();
    QString headline;
    QString message;
    try {
        conversion::runConversion(inputs, {decimal, group}, state_, *this, options);
        // The new drawing shows at once, and is the one 開く opens.
        file1_->refresh();
        file2_->refresh();
        // A drawing written elsewhere than the folder shown is still the one 開く opens.
        toOpen_ =
            file2_->select(bytesOf(inputs.outputName)) ? file2_->fileNameBytes() : QByteArray();
        return;
    } catch (const platform::RunError& error) {
        headline = fromUtf8(error.headline());
        // The file is named as the lists show it, whatever encoding its bytes are in.
        message = fromUtf8(platform::RunError(error.number(), platform::displayName(error.path()),
                                              error.line(), error.detail())
                               .what());
    } catch (const std::exception& error) {
        headline = message = QString::fromLocal8Bit(error.what());
    }
    // The window stays usable, and no report of an earlier run stands beside the failure.
    setCaption(conversion::kCaptionDone);
    txtDis_->setPlainText(headline);
    reporter_(this, message);
}

void Form1::cmdExit_Click() {
    QApplication::exit(0);
}

bool Form1::setDir1Path(const QByteArray& folder, bool backOnFailure) {
    const QByteArray path = bytesOf(platform::absoluteFolder(folder.toStdString()));
    if (const auto notReady = folderNotReady(path)) {
        reportNotReady(*notReady, path);
        // From the keys the tree stays on the refused folder, so the next key moves past it.
        if (backOnFailure)
            showDir1Path();
        return false;
    }
    dir1Path_ = path;
    showDir1Path();
    Dir1_Change();
    return true;
}

void Form1::showDir1Path() {
    if (dir1Path_.isEmpty())
        return;
    const QModelIndex index = dirModel_->indexOf(dir1Path_);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        dir1_->expand(up);
    dir1_->expand(index);
    // dir1Path_ is this folder already: the selection's change opens nothing again.
    dir1_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    dir1_->scrollTo(index);
}

void Form1::onDir1Selected() {
    const QModelIndexList selected = dir1_->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const QByteArray folder = dirModel_->pathOf(selected.first());
    if (folder != dir1Path_)
        setDir1Path(folder, false);
}

void Form1::reportNotReady(platform::ErrorNumber number, const QByteArray& folder) {
    reporter_(
        this,
        fromUtf8(platform::RunError(number, platform::displayName(folder.toStdString())).what()));
}

void Form1::setCaption(std::string_view caption) {
    setWindowTitle(fromUtf8(caption));
}

void Form1::setReport(std::string_view report) {
    // The box keeps its lines apart by itself; the run ends each with CR LF.
    txtDis_->setPlainText(fromUtf8(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

} // namespace quillet::window
