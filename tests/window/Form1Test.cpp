#include "window/qt/Form1.h"
#include "conversion/Run.h"
#include "platform/RunError.h"

#include "window/qt/FolderTreeModel.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using quillet::window::qt::Form1;

namespace {

const QString kReport3 = QStringLiteral("処理した文字数 : 3\n処理終了\n");

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Returns the drawing the engine itself writes for input at heightText.
QByteArray drawingOf(const QString& input, const std::string& heightText,
                     quillet::conversion::DrawingOptions options = {}) {
    QTemporaryDir scratch;
    const QString output = scratch.filePath(QStringLiteral("expected.dxf"));
    quillet::conversion::ConversionState state;
    quillet::conversion::convertFile(QFile::encodeName(input).toStdString(),
                                     QFile::encodeName(output).toStdString(), heightText, {}, state,
                                     options);
    return readBytes(output);
}

// Writes bytes to a file whose name is given as the system's bytes, in no encoding Qt knows.
void writeNamed(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

QByteArray readNamed(const QByteArray& path) {
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    ::close(fd);
    return bytes;
}

// テスト in code page 932 bytes.
const QByteArray kTestCp932 = "\x83\x65\x83\x58\x83\x67";

// Feeds lines into a named pipe from a thread of its own until it goes: an input as long as a
// test needs, however fast the converter reads.
class PipeFeeder {
  public:
    explicit PipeFeeder(const QByteArray& path) : thread_([this, path] { feed(path); }) {}
    ~PipeFeeder() {
        stop_ = true;
        thread_.join();
    }

  private:
    void feed(const QByteArray& path) {
        int fd = -1;
        while (!stop_ && (fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK)) < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        QByteArray lines;
        for (int i = 0; i < 5000; ++i)
            lines += "PIPE-" + QByteArray::number(i) + ",DN50\r\n";
        qsizetype at = 0;
        while (!stop_ && fd >= 0) {
            const ssize_t n = ::write(fd, lines.constData() + at, size_t(lines.size() - at));
            if (n > 0) {
                at = (at + n) % lines.size();
            } else if (errno == EAGAIN) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            } else {
                break; // the reader went
            }
        }
        if (fd >= 0)
            ::close(fd);
    }

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Returns the item named name below parent in view, or an invalid index while there is none.
QModelIndex itemNamed(const QAbstractItemView* view, const QModelIndex& parent,
                      const QString& name) {
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data().toString() == name)
            return index;
    }
    return {};
}

QStringList previewTitles() {
    QStringList titles;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->windowTitle().endsWith(QStringLiteral("プレビュー")))
            titles << top->windowTitle();
    return titles;
}

void closePreviews() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->windowTitle().endsWith(QStringLiteral("プレビュー")))
            top->close();
}

QStringList namesListed(const QListView* list) {
    QStringList names;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(list->rootIndex()); ++row)
        names << model->index(row, 0, list->rootIndex()).data().toString();
    names.sort();
    return names;
}

// The window started on a folder of its own, with the error box replaced by a list.
class Window {
  public:
    explicit Window(const QString& folder) {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder);
        form_ = std::make_unique<Form1>(
            [this](QWidget*, const QString& message) { messages << message; });
        // The window works on its own folder from now on, not on the process's.
        QDir::setCurrent(previous);
        form_->show();
        QApplication::setActiveWindow(form_.get());
    }

    Form1& form() { return *form_; }
    template <class Control> Control* control(const char* name) const {
        return form_->findChild<Control*>(QLatin1String(name));
    }
    QWidget* focused() const { return QApplication::focusWidget(); }
    void pressAlt(Qt::Key key) const { QTest::keyClick(focused(), key, Qt::AltModifier); }

    QStringList messages;

  private:
    std::unique_ptr<Form1> form_;
};

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir trashHome_;
    std::unique_ptr<QTemporaryDir> folder_;
    QString path(const QString& name) const { return folder_->filePath(name); }

    // Clicks the item called name in list once it is shown there.
    static void clickFile(QListView* list, const QString& name) {
        QModelIndex index;
        QTRY_VERIFY((index = itemNamed(list, list->rootIndex(), name)).isValid());
        QTRY_VERIFY(!list->visualRect(index).isEmpty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    }

    static bool waitActive(Window& window) { return QTest::qWaitForWindowActive(&window.form()); }

  private slots:
    // Starts a run on big.csv, a pipe fed as long as the run goes, into big.csv.dxf, a drawing
    // edited since; returns once the report box shows the run's progress.
    void startLongRun(Window& window, std::unique_ptr<PipeFeeder>& feeder) {
        QVERIFY(::mkfifo(QFile::encodeName(path("big.csv")).constData(), 0644) == 0);
        writeBytes(path("big.csv.dxf"), "edited in CAD");
        feeder = std::make_unique<PipeFeeder>(QFile::encodeName(path("big.csv")));
        window.control<QLineEdit>("txtFileName")->setText("big.csv");
        window.control<QLineEdit>("txtFileS")->setText("big.csv.dxf");
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QVERIFY(window.form().running());
        QCOMPARE(window.form().windowTitle(), QStringLiteral("読み込み中です・・・"));
        auto* report = window.control<QPlainTextEdit>("txtDis");
        QTRY_VERIFY_WITH_TIMEOUT(report->toPlainText().startsWith(QStringLiteral("読み込み中 : ")),
                                 20000);
    }

    // After a run was ended: the folder as it was, the edited drawing untouched, nothing left.
    void checkFolderAsItWas(const QStringList& before) {
        QCOMPARE(QDir(folder_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System),
                 before);
        QCOMPARE(readBytes(path("big.csv.dxf")), QByteArray("edited in CAD"));
        QVERIFY(!QFile::exists(trashHome_.filePath("Trash/files/big.csv.dxf")));
    }

    QStringList entriesWithLongRun() const {
        QStringList entries =
            QDir(folder_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        entries << "big.csv"
                << "big.csv.dxf";
        entries.sort();
        return entries;
    }

    void initTestCase() {
        // The pipe's reader may go first.
        std::signal(SIGPIPE, SIG_IGN);
        // A drawing a run replaces goes to a trash of the test's own, not the user's.
        QVERIFY(trashHome_.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(trashHome_.path()));
    }

    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        writeBytes(path("data.csv"), "A,B\r\nC\r\n");
        writeBytes(path("one.csv"), "Z");
        writeBytes(path(".hidden"), "x");
        QVERIFY(QDir(folder_->path()).mkdir("sub"));
        writeBytes(path("sub/inner.csv"), "S,T,U");
    }
    void cleanup() { folder_.reset(); }

    void startsOnTheCurrentFolder() {
        Window window(folder_->path());
        auto* file1 = window.control<QListView>("File1");
        auto* file2 = window.control<QListView>("File2");
        const QStringList files{"data.csv", "one.csv"};
        QTRY_COMPARE(namesListed(file1), files);
        QTRY_COMPARE(namesListed(file2), files);

        auto* dir1 = window.control<QTreeView>("Dir1");
        QCOMPARE(
            dir1->currentIndex().data(quillet::window::qt::FolderTreeModel::PathRole).toString(),
            folder_->path());
        auto* drive1 = window.control<QComboBox>("Drive1");
        QVERIFY(folder_->path().startsWith(drive1->currentText()));
        for (int i = 0; i < drive1->count(); ++i)
            for (const char* system : {"/proc", "/sys", "/dev", "/run/user"})
                QVERIFY2(!drive1->itemText(i).startsWith(QLatin1String(system)),
                         qPrintable(drive1->itemText(i)));

        QCOMPARE(window.form().windowTitle(), QStringLiteral("Quillet"));
        QCOMPARE(window.control<QLineEdit>("txtFileR")->text(), QStringLiteral("100"));
        QVERIFY(window.control<QPlainTextEdit>("txtDis")->toPlainText().isEmpty());
        // Each 実行 says which drawing it writes.
        for (auto id : {quillet::form::ControlId::cmdCul1, quillet::form::ControlId::cmdCul2}) {
            const auto* button =
                window.control<QPushButton>(quillet::form::control(id).name.data());
            QCOMPARE(button->toolTip(),
                     QString::fromUtf8(quillet::form::toolTip(id).data(),
                                       qsizetype(quillet::form::toolTip(id).size())));
            QVERIFY(!button->toolTip().isEmpty());
        }
    }

    void choosingAFileFillsBothNames() {
        Window window(folder_->path());
        auto* file1 = window.control<QListView>("File1");
        auto* name = window.control<QLineEdit>("txtFileName");
        auto* output = window.control<QLineEdit>("txtFileS");

        clickFile(file1, "one.csv");
        QCOMPARE(name->text(), QStringLiteral("one.csv"));
        QCOMPARE(output->text(), QStringLiteral("one.csv.dxf"));

        // Clicking the chosen file again overwrites what the user typed.
        output->setText("mine.dxf");
        name->setText("typed.csv");
        clickFile(file1, "one.csv");
        QCOMPARE(name->text(), QStringLiteral("one.csv"));
        QCOMPARE(output->text(), QStringLiteral("one.csv.dxf"));

        QTest::keyClick(file1, Qt::Key_Up);
        QCOMPARE(name->text(), QStringLiteral("data.csv"));
        QCOMPARE(output->text(), QStringLiteral("data.csv.dxf"));

        clickFile(window.control<QListView>("File2"), "one.csv");
        QCOMPARE(name->text(), QStringLiteral("data.csv"));
        QCOMPARE(output->text(), QStringLiteral("data.csv.dxf"));
    }

    void convertsByClickAndByAccessKey() {
        Window window(folder_->path());
        QVERIFY(waitActive(window));
        auto* file1 = window.control<QListView>("File1");
        auto* report = window.control<QPlainTextEdit>("txtDis");
        QSignalSpy captions(&window.form(), &QWidget::windowTitleChanged);

        clickFile(file1, "data.csv");
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QCOMPARE(readBytes(path("data.csv.dxf")), drawingOf(path("data.csv"), "100"));
        QCOMPARE(report->toPlainText(), kReport3);
        QCOMPARE(captions.size(), 2);
        QCOMPARE(captions.at(0).at(0).toString(), QStringLiteral("読み込み中です・・・"));
        QCOMPARE(captions.at(1).at(0).toString(), QStringLiteral("ファイル操作"));
        // The new drawing shows in the lists without leaving the folder.
        QTRY_VERIFY(namesListed(file1).contains("data.csv.dxf"));
        QTRY_VERIFY(namesListed(window.control<QListView>("File2")).contains("data.csv.dxf"));

        // Another height and input into the same output: the report is replaced.
        window.control<QLineEdit>("txtFileName")->setText("one.csv");
        window.control<QLineEdit>("txtFileR")->setText("250");
        window.pressAlt(Qt::Key_A);
        QTRY_COMPARE(captions.size(), 4);
        const QByteArray drawing = readBytes(path("data.csv.dxf"));
        QCOMPARE(drawing, drawingOf(path("one.csv"), "250"));
        QVERIFY(drawing.contains("\r\n 40\r\n 250 \r\n"));
        // The drawing it replaced is in the trash, and the report says so.
        QCOMPARE(report->toPlainText(),
                 QStringLiteral("処理した文字数 : 1\n以前の図面はごみ箱に移しました : ") +
                     path("data.csv.dxf") + QStringLiteral("\n処理終了\n"));
        QCOMPARE(readBytes(trashHome_.filePath("Trash/files/data.csv.dxf")),
                 drawingOf(path("data.csv"), "100"));
        QCOMPARE(window.form().windowTitle(), QStringLiteral("ファイル操作"));
    }

    void choosingAFolderMovesBothListsAndTheRun() {
        Window window(folder_->path());
        auto* dir1 = window.control<QTreeView>("Dir1");
        QModelIndex sub;
        QTRY_VERIFY((sub = itemNamed(dir1, dir1->currentIndex(), "sub")).isValid());
        dir1->scrollTo(sub); // as a user scrolls to a folder below the one shown
        QTRY_VERIFY(!dir1->visualRect(sub).isEmpty());
        // Near the start of the name: long names reach past the visible part of the tree.
        const QRect rect = dir1->visualRect(sub);
        QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, rect.topLeft() + QPoint(4, 4));

        const QStringList files{"inner.csv"};
        QTRY_COMPARE(namesListed(window.control<QListView>("File1")), files);
        QTRY_COMPARE(namesListed(window.control<QListView>("File2")), files);

        clickFile(window.control<QListView>("File1"), "inner.csv");
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(readBytes(path("sub/inner.csv.dxf")), drawingOf(path("sub/inner.csv"), "100"));
    }

    void aDriveThatIsNotReadyKeepsTheLists() {
        QTemporaryDir other;
        writeBytes(other.filePath("other.csv"), "O");
        Window window(folder_->path());
        auto* drive1 = window.control<QComboBox>("Drive1");
        auto* file1 = window.control<QListView>("File1");
        // This machine may have one volume only: stand-ins join the list as mounts would.
        drive1->addItem(other.path());
        drive1->addItem(other.filePath("unplugged"));

        drive1->setCurrentIndex(drive1->count() - 2);
        const QStringList otherFiles{"other.csv"};
        QTRY_COMPARE(namesListed(file1), otherFiles);
        QTRY_COMPARE(namesListed(window.control<QListView>("File2")), otherFiles);

        drive1->setCurrentIndex(drive1->count() - 1);
        QCOMPARE(window.messages.size(), 1);
        QVERIFY(window.messages.first().startsWith(QStringLiteral("実行時エラー 76:")));
        QVERIFY(window.messages.first().contains("unplugged"));
        QCOMPARE(drive1->currentText(), other.path());
        QCOMPARE(namesListed(file1), otherFiles);

        // The run still goes to the folder shown.
        clickFile(file1, "other.csv");
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QVERIFY(QFile::exists(other.filePath("other.csv.dxf")));
    }

    void aFailedRunIsReportedAndTheWindowGoesOn_data() {
        QTest::addColumn<QString>("inputName");
        QTest::addColumn<QString>("heightText");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("mentions");

        QTest::newRow("missing input") << "missing.csv"
                                       << "100" << 53 << "missing.csv";
        QTest::newRow("letters for the height") << "data.csv"
                                                << "abc" << 13 << "";
        QTest::newRow("empty height") << "data.csv"
                                      << "" << 13 << "";
        QTest::newRow("height beyond 16 bits") << "data.csv"
                                               << "32768" << 6 << "";
        QTest::newRow("line too long") << "long.csv"
                                       << "100" << 6 << "2 行目";
        QTest::newRow("too many columns") << "wide.csv"
                                          << "1000" << 6 << "42 行目";
    }
    void aFailedRunIsReportedAndTheWindowGoesOn() {
        QFETCH(QString, inputName);
        QFETCH(QString, heightText);
        QFETCH(int, number);
        QFETCH(QString, mentions);
        writeBytes(path("long.csv"), "a\r\n" + QByteArray(40000, 'x'));
        writeBytes(path("wide.csv"), "a\r\n" + QByteArray(40, '\n') + "b\r\n");
        const QStringList entriesBefore =
            QDir(folder_->path()).entryList(QDir::AllEntries | QDir::Hidden);

        Window window(folder_->path());
        auto* report = window.control<QPlainTextEdit>("txtDis");
        auto* cmdCul1 = window.control<QPushButton>("cmdCul1");
        clickFile(window.control<QListView>("File1"), "data.csv");
        QTest::mouseClick(cmdCul1, Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QCOMPARE(report->toPlainText(), kReport3);
        QVERIFY(QFile::remove(path("data.csv.dxf")));

        window.control<QLineEdit>("txtFileName")->setText(inputName);
        window.control<QLineEdit>("txtFileS")->setText("fresh.dxf");
        window.control<QLineEdit>("txtFileR")->setText(heightText);
        QTest::mouseClick(cmdCul1, Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());

        const QString headline = QString::fromUtf8(
            quillet::platform::RunError(quillet::platform::ErrorNumber(number)).headline());
        QCOMPARE(window.messages.size(), 1);
        QVERIFY2(window.messages.first().startsWith(headline), qPrintable(window.messages[0]));
        QVERIFY2(window.messages.first().contains(mentions), qPrintable(window.messages[0]));
        // The report box keeps the line too, and both say what to do on a line of their own.
        const QString reported = report->toPlainText();
        QVERIFY2(reported.startsWith(headline), qPrintable(reported));
        if (mentions.endsWith(QStringLiteral("行目"))) {
            QVERIFY2(reported.contains(mentions), qPrintable(reported));
            const QStringList messageLines = window.messages.first().split('\n');
            QCOMPARE(messageLines.size(), 2);
            QCOMPARE(reported, reported.section('\n', 0, 0) + '\n' + messageLines[1] + '\n');
        }
        QCOMPARE(window.form().windowTitle(), QStringLiteral("ファイル操作"));
        QCOMPARE(QDir(folder_->path()).entryList(QDir::AllEntries | QDir::Hidden), entriesBefore);

        window.control<QLineEdit>("txtFileName")->setText("data.csv");
        window.control<QLineEdit>("txtFileR")->setText("100");
        QTest::mouseClick(cmdCul1, Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QCOMPARE(report->toPlainText(), kReport3);
        QVERIFY(window.form().isVisible());
    }

    // Names in code page 932, as Windows and old archives write them, and names in neither
    // encoding: listed as well as they can be shown, chosen, and converted by their bytes.
    void namesInNoUtf8AreListedChosenAndConverted_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("code page 932") << kTestCp932 + ".csv" << QStringLiteral("テスト.csv");
        QTest::newRow("neither") << QByteArray("\xFF\xFEz.csv")
                                 << QStringLiteral("\\xFF\\xFEz.csv");
    }
    void namesInNoUtf8AreListedChosenAndConverted() {
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        const QByteArray folder = QFile::encodeName(folder_->path()) + "/";
        writeNamed(folder + name, "A,B\r\n");
        Window window(folder_->path());
        auto* file1 = window.control<QListView>("File1");
        QTRY_VERIFY(namesListed(file1).contains(shown));
        QVERIFY(namesListed(window.control<QListView>("File2")).contains(shown));
        clickFile(file1, shown);
        QCOMPARE(window.control<QLineEdit>("txtFileName")->text(), shown);
        QCOMPARE(window.control<QLineEdit>("txtFileS")->text(), shown + ".dxf");
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QCOMPARE(window.messages, QStringList());
        writeBytes(path("same.csv"), "A,B\r\n");
        QCOMPARE(readNamed(folder + name + ".dxf"), drawingOf(path("same.csv"), "100"));
        QTRY_VERIFY(namesListed(file1).contains(shown + ".dxf"));
    }

    void aFolderNamedInCodePage932IsOpenedAndConvertedIn() {
        const QByteArray folder = QFile::encodeName(folder_->path()) + "/" + kTestCp932;
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        writeNamed(folder + "/in.csv", "X\r\n");
        Window window(folder_->path());
        auto* dir1 = window.control<QTreeView>("Dir1");
        QModelIndex test;
        QTRY_VERIFY((test = itemNamed(dir1, dir1->currentIndex(), "テスト")).isValid());
        dir1->setCurrentIndex(test);
        QTRY_COMPARE(namesListed(window.control<QListView>("File1")), QStringList{"in.csv"});
        clickFile(window.control<QListView>("File1"), "in.csv");
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QCOMPARE(window.messages, QStringList());
        QVERIFY(readNamed(folder + "/in.csv.dxf").contains("\r\n  1\r\nX\r\n"));
    }

    // A folder the keys move onto but that cannot be opened: one message, the lists stay, and
    // the next key moves on past it.
    void aFolderThatCannotBeOpenedIsPassedByTheKeys() {
        for (const char* name : {"a", "b", "c"})
            QVERIFY(QDir(folder_->path()).mkdir(name));
        writeBytes(path("c/in.csv"), "c");
        Window window(folder_->path());
        auto* dir1 = window.control<QTreeView>("Dir1");
        const QModelIndex here = dir1->currentIndex();
        QModelIndex a;
        QTRY_VERIFY((a = itemNamed(dir1, here, "a")).isValid());
        QVERIFY(itemNamed(dir1, here, "b").isValid());
        dir1->setCurrentIndex(a);
        QTRY_VERIFY(namesListed(window.control<QListView>("File1")).isEmpty());
        // Gone after the tree listed it: as good as a folder the user may not open.
        QVERIFY(QDir(path("b")).removeRecursively());
        QTest::keyClick(dir1, Qt::Key_Down);
        QCOMPARE(window.messages.size(), 1);
        QVERIFY2(window.messages.first().startsWith("実行時エラー 76:"),
                 qPrintable(window.messages[0]));
        QVERIFY(namesListed(window.control<QListView>("File1")).isEmpty());
        QTest::keyClick(dir1, Qt::Key_Down);
        QTRY_COMPARE(namesListed(window.control<QListView>("File1")), QStringList{"in.csv"});
        QCOMPARE(window.messages.size(), 1);
    }

    void declaredDrawingByClickAndByAccessKey() {
        Window window(folder_->path());
        QVERIFY(waitActive(window));
        writeBytes(path("jp.csv"), "配管,東京\r\n");
        auto* file1 = window.control<QListView>("File1");
        auto* report = window.control<QPlainTextEdit>("txtDis");
        const quillet::conversion::DrawingOptions declared{
            quillet::conversion::DrawingKind::Declared, quillet::conversion::InputEncoding::Auto};
        clickFile(file1, "jp.csv");
        QTest::mouseClick(window.control<QPushButton>("cmdCul2"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(readBytes(path("jp.csv.dxf")), drawingOf(path("jp.csv"), "100", declared));
        QVERIFY(readBytes(path("jp.csv.dxf")).contains("$DWGCODEPAGE"));
        QCOMPARE(report->toPlainText(), QStringLiteral("処理した文字数 : 2\n処理終了\n"));
        QFile::remove(path("jp.csv.dxf"));
        window.control<QLineEdit>("txtFileR")->setText("50");
        window.pressAlt(Qt::Key_B);
        QTRY_COMPARE(readBytes(path("jp.csv.dxf")), drawingOf(path("jp.csv"), "50", declared));
        // The drawing takes its name before the run hands its end back to the window.
        QTRY_COMPARE(window.form().windowTitle(), QStringLiteral("ファイル操作"));
    }

    // quillet FILE: the window opens on FILE's folder with FILE chosen, wherever it started.
    void aFileGivenAtStartIsChosen() {
        QTemporaryDir elsewhere;
        Window window(elsewhere.path());
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder_->path());
        window.form().openGiven("sub/../one.csv");
        QDir::setCurrent(previous);
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(window.control<QLineEdit>("txtFileName")->text(), QStringLiteral("one.csv"));
        QCOMPARE(window.control<QLineEdit>("txtFileS")->text(), QStringLiteral("one.csv.dxf"));
        auto* file1 = window.control<QListView>("File1");
        QCOMPARE(file1->currentIndex().data().toString(), QStringLiteral("one.csv"));
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        QVERIFY(QFile::exists(path("one.csv.dxf")));

        window.form().openGiven(QFile::encodeName(path("missing.csv")));
        QCOMPARE(window.messages.size(), 1);
        QVERIFY2(window.messages.first().startsWith("実行時エラー 53:"),
                 qPrintable(window.messages[0]));
        QVERIFY(window.form().isVisible());
    }

    // A file dropped on the window opens as `quillet FILE` opens it: a CSV chosen, a drawing
    // previewed; a name in code page 932 by its bytes.
    void droppedFilesOpenAsGiven() {
        QTemporaryDir elsewhere;
        const QByteArray folder = QFile::encodeName(folder_->path()) + "/";
        writeNamed(folder + kTestCp932 + ".csv", "A\r\n");
        Window window(elsewhere.path());
        auto drop = [&](const QByteArray& file) {
            QMimeData data;
            data.setUrls({QUrl("file://" + file.toPercentEncoding("/"))});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&window.form(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&window.form(), &dropped);
        };
        drop(folder + kTestCp932 + ".csv");
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(window.control<QLineEdit>("txtFileName")->text(), QStringLiteral("テスト.csv"));
        QCOMPARE(window.control<QLineEdit>("txtFileS")->text(), QStringLiteral("テスト.csv.dxf"));
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        drop(folder + kTestCp932 + ".csv.dxf");
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(previewTitles(), QStringList{"テスト.csv.dxf - Quillet プレビュー"});
        closePreviews();
    }

    // After a run the new drawing is chosen in File2, and 開く shows it; one window a drawing.
    void openShowsTheDrawingJustWritten() {
        Window window(folder_->path());
        QVERIFY(waitActive(window));
        clickFile(window.control<QListView>("File1"), "data.csv");
        QTest::mouseClick(window.control<QPushButton>("cmdCul1"), Qt::LeftButton);
        QTRY_VERIFY(!window.form().running());
        auto* file2 = window.control<QListView>("File2");
        QCOMPARE(file2->currentIndex().data().toString(), QStringLiteral("data.csv.dxf"));
        QTest::mouseClick(window.control<QPushButton>("cmdOpen"), Qt::LeftButton);
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(previewTitles(), QStringList{"data.csv.dxf - Quillet プレビュー"});
        QApplication::setActiveWindow(&window.form());
        window.pressAlt(Qt::Key_O);
        QTest::qWait(300);
        QCOMPARE(previewTitles(), QStringList{"data.csv.dxf - Quillet プレビュー"});
        closePreviews();
    }

    void openRefusesWhatIsNoDrawing() {
        Window window(folder_->path());
        clickFile(window.control<QListView>("File2"), "one.csv");
        QTest::mouseClick(window.control<QPushButton>("cmdOpen"), Qt::LeftButton);
        QCOMPARE(window.messages.size(), 1);
        QCOMPARE(previewTitles(), QStringList());
        // Nothing chosen in File2: the output box's drawing, here one that is not there.
        Window fresh(folder_->path());
        fresh.control<QLineEdit>("txtFileS")->setText("missing.dxf");
        QTest::mouseClick(fresh.control<QPushButton>("cmdOpen"), Qt::LeftButton);
        QCOMPARE(fresh.messages.size(), 1);
        QVERIFY2(fresh.messages.first().startsWith("実行時エラー 53:"),
                 qPrintable(fresh.messages[0]));
        QCOMPARE(previewTitles(), QStringList());
        QVERIFY(fresh.form().isVisible());
    }

    void tabWalksTheControlsInOrder() {
        Window window(folder_->path());
        QVERIFY(waitActive(window));
        const QStringList order{"Drive1",  "Dir1",     "File1",    "txtFileName",
                                "cmdCul1", "cmdOpen",  "cmdCul2",  "cmdExit",
                                "txtDis",  "txtFileS", "txtFileR", "File2"};
        QCOMPARE(window.focused()->objectName(), order.first());
        QStringList walked{window.focused()->objectName()};
        for (qsizetype i = 1; i <= order.size(); ++i) {
            QTest::keyClick(window.focused(), Qt::Key_Tab);
            walked << window.focused()->objectName();
        }
        QCOMPARE(walked, order + QStringList{order.first()});
    }

    void accessKeysReachTheirControls_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("pressed");
        // Labels lead by the tab order, not to the box beside them.
        QTest::newRow("Alt+N") << int(Qt::Key_N) << "txtFileName"
                               << "";
        QTest::newRow("Alt+S") << int(Qt::Key_S) << "txtFileR"
                               << "";
        QTest::newRow("Alt+R") << int(Qt::Key_R) << "File2"
                               << "";
        QTest::newRow("Alt+B") << int(Qt::Key_B) << ""
                               << "cmdCul2";
        QTest::newRow("Alt+O") << int(Qt::Key_O) << ""
                               << "cmdOpen";
    }
    void accessKeysReachTheirControls() {
        QFETCH(int, key);
        QFETCH(QString, focused);
        QFETCH(QString, pressed);
        Window window(folder_->path());
        QVERIFY(waitActive(window));
        QSignalSpy clicks(pressed.isEmpty() ? window.control<QPushButton>("cmdCul1")
                                            : window.control<QPushButton>(qPrintable(pressed)),
                          &QPushButton::clicked);
        window.pressAlt(Qt::Key(key));
        if (!focused.isEmpty())
            QCOMPARE(window.focused()->objectName(), focused);
        // A button's access key clicks it a moment later, the way it shows being pressed.
        if (pressed.isEmpty())
            QCOMPARE(clicks.size(), 0);
        else
            QTRY_COMPARE(clicks.size(), 1);
    }

    void enterAndEscapePressNoButton() {
        Window window(folder_->path());
        QVERIFY(waitActive(window));
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const char* name : {"cmdCul1", "cmdCul2", "cmdOpen", "cmdExit"})
            spies.push_back(std::make_unique<QSignalSpy>(window.control<QPushButton>(name),
                                                         &QPushButton::clicked));
        for (const char* control : {"txtFileName", "txtFileS", "txtFileR", "cmdCul2", "cmdOpen"}) {
            window.control<QWidget>(control)->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(window.focused(), key);
        }
        QTest::qWait(200);
        for (const auto& spy : spies)
            QCOMPARE(spy->size(), 0);
    }

    void controlsSitAtTheirPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Label3") << "Label3" << QRect(120, 1200, 2055, 255);
        QTest::newRow("txtFileS") << "txtFileS" << QRect(2160, 600, 3495, 375);
        QTest::newRow("Drive1") << "Drive1" << QRect(480, 1680, 2415, 300);
        QTest::newRow("File2") << "File2" << QRect(3360, 2760, 2295, 990);
        QTest::newRow("cmdExit") << "cmdExit" << QRect(6120, 2880, 1215, 495);
        QTest::newRow("txtDis") << "txtDis" << QRect(480, 3960, 6855, 2895);
    }
    void controlsSitAtTheirPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        Window window(folder_->path());
        const double dpiX = window.form().logicalDpiX();
        const double dpiY = window.form().logicalDpiY();
        auto pixels = [](int value, double dpi) { return qRound(value * dpi / 1440.0); };
        const QRect expected(pixels(twips.x(), dpiX), pixels(twips.y(), dpiY),
                             pixels(twips.width(), dpiX), pixels(twips.height(), dpiY));
        QCOMPARE(window.control<QWidget>(qPrintable(name))->geometry(), expected);
        if (dpiX == 96 && dpiY == 96)
            QCOMPARE(window.form().size(), QSize(540, 459));
        QCOMPARE(window.form().minimumSize(), window.form().maximumSize());
    }

    // A run that takes long: its progress shows, the window answers meanwhile, a second 実行
    // is refused, and closing the window ends the run leaving the folder as it was.
    void aLongRunShowsProgressAndClosingEndsIt() {
        const QStringList before = entriesWithLongRun();
        Window window(folder_->path());
        std::unique_ptr<PipeFeeder> feeder;
        startLongRun(window, feeder);
        auto* report = window.control<QPlainTextEdit>("txtDis");
        const QString first = report->toPlainText();
        QVERIFY2(first.contains(QStringLiteral("、配置した文字数 : ")), qPrintable(first));
        QTRY_VERIFY(report->toPlainText().section('\n', 0, 0) != first.section('\n', 0, 0));
        // The window answers: typing goes into a box, a timer fires.
        auto* height = window.control<QLineEdit>("txtFileR");
        height->setFocus();
        QTest::keyClicks(height, "5");
        QCOMPARE(height->text(), QStringLiteral("1005"));
        bool fired = false;
        QTimer::singleShot(0, [&] { fired = true; });
        QTRY_VERIFY(fired);
        QTest::mouseClick(window.control<QPushButton>("cmdCul2"), Qt::LeftButton);
        QVERIFY(report->toPlainText().endsWith(
            QStringLiteral("変換中です。終わってからもう一度押してください。\n")));
        QVERIFY(window.form().running());

        window.form().close();
        QVERIFY(!window.form().running());
        feeder.reset();
        QCOMPARE(window.messages, QStringList());
        checkFolderAsItWas(before);
    }

    // Last: once the application has been told to end, event loops no longer run.
    void exitEndsTheApplication() {
        Window window(folder_->path());
        QVERIFY(waitActive(window));
        QEventLoop loop;
        QTimer::singleShot(0, &window.form(), [&] { window.pressAlt(Qt::Key_X); });
        QTimer::singleShot(5000, &loop, [&] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
    }

    // After the application was told to end: 終了 during a run ends the run at once, asking
    // nothing, and leaves the folder as it was.
    void exitDuringALongRunLeavesTheFolderAsItWas() {
        const QStringList before = entriesWithLongRun();
        Window window(folder_->path());
        std::unique_ptr<PipeFeeder> feeder;
        startLongRun(window, feeder);
        QTest::mouseClick(window.control<QPushButton>("cmdExit"), Qt::LeftButton);
        QVERIFY(!window.form().running());
        feeder.reset();
        QCOMPARE(window.messages, QStringList());
        checkFolderAsItWas(before);
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
