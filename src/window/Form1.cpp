#include "Form1.h"

#include "DriveList.h"
#include "FileList.h"
#include "TwipsLayout.h"
#include "platform/NumberText.h"
#include "platform/RunError.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
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

std::string encodedName(const QString& name) {
    return QFile::encodeName(name).toStdString();
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
    createControls();
    placeControls();
    setTabOrderAndAccessKeys();

    const QString current = QDir::currentPath();
    const QStringList roots = pickableRoots(mountedFileSystems());
    drive1_->addItems(roots);
    drive1Drive_ = driveRootOf(current, roots);
    drive1_->setCurrentIndex(static_cast<int>(roots.indexOf(drive1Drive_)));

    connectEvents();
    setDir1Path(current);
    drive1_->setFocus();
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
    drive1_ = named(new QComboBox(this), "Drive1");

    file1_ = named(new FileList(this), "File1");

    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setRootPath(QDir::rootPath());
    dir1_ = named(new QTreeView(this), "Dir1");
    dir1_->setModel(dirModel_);
    for (int column = 1; column < dirModel_->columnCount(); ++column)
        dir1_->hideColumn(column);
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
    connect(file1_, &FileList::chosen, this, &Form1::File1_Click);
    connect(cmdCul1_, &QPushButton::clicked, this, &Form1::cmdCul1_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &Form1::cmdExit_Click);
}

void Form1::Drive1_Change() {
    const QString drive = drive1_->currentText();
    if (setDir1Path(drive)) {
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
}

void Form1::File1_Click() {
    const QString name = file1_->fileName();
    txtFileName_->setText(name);
    txtFileS_->setText(name + QStringLiteral(".dxf"));
}

void Form1::cmdCul1_Click() {
    const QLocale locale = QLocale::system();
    const std::string decimal = locale.decimalPoint().toStdString();
    const std::string group = locale.groupSeparator().toStdString();
    const conversion::RunInputs inputs{encodedName(dir1Path_), encodedName(txtFileName_->text()),
                                       encodedName(txtFileS_->text()),
                                       txtFileR_->text().toStdString()};
    QString headline;
    QString message;
    try {
        conversion::runConversion(inputs, {decimal, group}, state_, *this);
        return;
    } catch (const platform::RunError& error) {
        headline = fromUtf8(error.headline());
        message = fromUtf8(error.what());
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

bool Form1::setDir1Path(const QString& folder) {
    if (const auto notReady = folderNotReady(folder)) {
        reportNotReady(*notReady, folder);
        showDir1Path();
        return false;
    }
    dir1Path_ = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    showDir1Path();
    Dir1_Change();
    return true;
}

void Form1::showDir1Path() {
    if (dir1Path_.isEmpty())
        return;
    // Rooting the model there shows the path even through hidden folders, and watches it.
    const QModelIndex index = dirModel_->setRootPath(dir1Path_);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        dir1_->expand(up);
    dir1_->expand(index);
    dir1_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    dir1_->scrollTo(index);
}

void Form1::onDir1Selected() {
    const QModelIndexList selected = dir1_->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const QString folder = dirModel_->filePath(selected.first());
    if (folder != dir1Path_)
        setDir1Path(folder);
}

void Form1::reportNotReady(platform::ErrorNumber number, const QString& folder) {
    reporter_(this, fromUtf8(platform::RunError(number, encodedName(folder)).what()));
}

void Form1::setCaption(std::string_view caption) {
    setWindowTitle(fromUtf8(caption));
}

void Form1::setReport(std::string_view report) {
    // The box keeps its lines apart by itself; the run ends each with CR LF.
    txtDis_->setPlainText(fromUtf8(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

} // namespace quillet::window
