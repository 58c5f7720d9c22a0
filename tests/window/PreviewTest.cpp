// The preview windows: one per drawing, ink where the texts are, exports, and the files that
// open no window.
#include "window/qt/preview/DesktopApps.h"
#include "window/qt/preview/DrawingView.h"
#include "window/qt/preview/PreviewWindow.h"
#include "window/qt/preview/PreviewWindows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using quillet::window::qt::preview::PreviewWindow;
using quillet::window::qt::preview::PreviewWindows;

namespace {

QByteArray pair(int code, const QByteArray& value) {
    return QByteArray::number(code).rightJustified(3, ' ') + "\r\n" + value + "\r\n";
}

// Our classic drawing: two texts, one far to the right of the other.
QByteArray classicDrawing() {
    QByteArray bytes = pair(0, "SECTION") + pair(2, "ENTITIES");
    for (const auto& [x, text] : {std::pair{" 0 ", "配管"}, std::pair{" 1000 ", "東京"}})
        bytes += pair(0, "TEXT") + pair(8, "0") + pair(10, x) + pair(20, " 0 ") + pair(30, "0") +
                 pair(40, " 100 ") + pair(1, text);
    return bytes + pair(0, "ENDSEC") + pair(0, "EOF");
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Returns the share of pixels in r of image that are not white.
double inkIn(const QImage& image, const QRect& r) {
    int dark = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x, ++all)
            dark += qGray(image.pixel(x, y)) < 160;
    return all ? double(dark) / all : 0;
}

// Returns what a poppler tool prints for its arguments.
QString poppler(const QString& tool, const QStringList& arguments) {
    QProcess p;
    p.start(tool, arguments);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Returns why a reader would not find texts as text in the PDF at path (empty when it does):
// pdftotext finds each, pdffonts names a font, pdfimages finds no picture.
QString notTextIn(const QString& path, const QStringList& texts) {
    const QString extracted = poppler(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    for (const QString& text : texts)
        if (!extracted.contains(text))
            return QStringLiteral("pdftotext does not find %1 in: %2").arg(text, extracted);
    const QStringList fonts =
        poppler(QStringLiteral("pdffonts"), {path}).split('\n', Qt::SkipEmptyParts);
    if (fonts.size() < 3 || !fonts[2].contains(QStringLiteral("UniJIS-UTF16-H")))
        return QStringLiteral("pdffonts names no Japanese font: ") + fonts.join('\n');
    const QStringList images = poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path})
                                   .split('\n', Qt::SkipEmptyParts);
    if (images.size() != 2) // the two lines of its heading
        return QStringLiteral("pdfimages finds pictures: ") + images.join('\n');
    return {};
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir folder_;
    QStringList messages_;
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<PreviewWindows> previews_;

    QString path(const QString& name) const { return folder_.filePath(name); }

    PreviewWindow* openAndWait(const QString& file) {
        PreviewWindow* window = previews_->open(file);
        if (window && !QTest::qWaitFor([window] { return !window->loading(); }, 10000))
            return nullptr;
        return window;
    }

  private slots:
    void init() {
        messages_.clear();
        owner_ = std::make_unique<QWidget>();
        previews_ = std::make_unique<PreviewWindows>(
            owner_.get(), [this](QWidget*, const QString& m) { messages_ << m; });
        writeBytes(path(QStringLiteral("図面.dxf")), classicDrawing());
    }
    void cleanup() {
        previews_.reset();
        QTest::qWait(10); // the closed windows go
        owner_.reset();
    }

    void opensTitledWindowWithInkWhereTheTextsAre() {
        PreviewWindow* window = openAndWait(path(QStringLiteral("図面.dxf")));
        QVERIFY(window);
        QVERIFY(messages_.isEmpty());
        QVERIFY(window->windowTitle().contains(QStringLiteral("図面.dxf")));
        const QImage shot = window->view()->grab().toImage();
        const auto& t = window->view()->transform();
        // Each text's first character, and the empty strip between them.
        const QPointF first = t.toScreen(0, 0), second = t.toScreen(1000, 0);
        const int h = static_cast<int>(100 * t.scale);
        QVERIFY(h > 10);
        QVERIFY(inkIn(shot, QRect(first.toPoint() - QPoint(0, h), QSize(h, h))) > 0.05);
        QVERIFY(inkIn(shot, QRect(second.toPoint() - QPoint(0, h), QSize(h, h))) > 0.05);
        const int gapLeft = static_cast<int>(first.x()) + 3 * h,
                  gapRight = static_cast<int>(second.x()) - 5;
        QCOMPARE(inkIn(shot, QRect(QPoint(gapLeft, 0), QPoint(gapRight, shot.height() - 1))), 0.0);
    }

    void exportsPngSvgAndPdf() {
        PreviewWindow* window = openAndWait(path(QStringLiteral("図面.dxf")));
        QVERIFY(window);
        for (const char* suffix : {"png", "svg", "pdf"}) {
            for (bool whole : {false, true}) {
                const QString out = path(QStringLiteral("out-%1.%2").arg(whole).arg(suffix));
                QCOMPARE(window->exportTo(out, whole), QString());
                QVERIFY2(QFileInfo(out).size() > 500, qPrintable(out));
            }
        }
        QImage png(path(QStringLiteral("out-1.png")));
        QVERIFY(!png.isNull());
        QVERIFY(inkIn(png, png.rect()) > 0.001);
        QFile svg(path(QStringLiteral("out-0.svg")));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));
        // The PDF, of the view or the whole drawing: its texts are text.
        for (const char* name : {"out-0.pdf", "out-1.pdf"}) {
            const QString reason = notTextIn(path(QLatin1String(name)),
                                             {QStringLiteral("配管"), QStringLiteral("東京")});
            QVERIFY2(reason.isEmpty(), qPrintable(reason));
        }
        // One that cannot be written says so, naming the file.
        const QString nowhere = path(QStringLiteral("ない/out.pdf"));
        QCOMPARE(window->exportTo(nowhere, true),
                 QStringLiteral("書き出せませんでした: ") + nowhere);
    }

    void missingFileReportsErrorAndOpensNothing() {
        QVERIFY(!previews_->open(path(QStringLiteral("ない.dxf"))));
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].contains(QStringLiteral("実行時エラー 53")));
        QVERIFY(previews_->windows().empty());
    }

    void nonDrawingReportsAndOpensNothing() {
        writeBytes(path(QStringLiteral("input.csv")), "配管,東京\r\n");
        QVERIFY(!previews_->open(path(QStringLiteral("input.csv"))));
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].contains(QStringLiteral("DXF 図面ではありません")));
        QVERIFY(previews_->windows().empty());
        // A binary drawing is read like a text one: its window opens.
        writeBytes(path(QStringLiteral("binary.dxf")),
                   QByteArray("AutoCAD Binary DXF\r\n\x1a\0", 22));
        QVERIFY(previews_->open(path(QStringLiteral("binary.dxf"))));
    }

    void drawingCutShortShowsWhatWasReadWithAWarning() {
        writeBytes(path(QStringLiteral("cut.dxf")), classicDrawing().chopped(40));
        PreviewWindow* window = openAndWait(path(QStringLiteral("cut.dxf")));
        QVERIFY(window);
        QVERIFY(messages_.isEmpty());
        QCOMPARE(previews_->windows().size(), std::size_t{1});
        QVERIFY(window->view()->drawing());
        QVERIFY(window->view()->drawing()->truncated);
        QVERIFY2(window->statusLine().startsWith(QStringLiteral("⚠ 図面が途中で終わっています")),
                 qPrintable(window->statusLine()));
        // The first text, read in full, is drawn.
        const QImage shot = window->view()->grab().toImage();
        const QPointF first = window->view()->transform().toScreen(0, 0);
        const int h = static_cast<int>(100 * window->view()->transform().scale);
        QVERIFY(inkIn(shot, QRect(first.toPoint() - QPoint(0, h), QSize(h, h))) > 0.05);
    }

    void commandLineExportsAndListsTextsWithoutADisplay() {
        const QString drawing = path(QStringLiteral("図面.dxf"));
        auto run = [](const QStringList& arguments) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program picks offscreen itself
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(QUILLET_PREVIEW_PATH), arguments);
            p.waitForFinished(60000);
            return std::tuple{p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
        };
        const QString png = path(QStringLiteral("cli.png"));
        auto [code, out, err] = run({QStringLiteral("--export"), png, QStringLiteral("--size"),
                                     QStringLiteral("400x300"), drawing});
        QVERIFY2(code == 0, err.constData());
        const QImage image(png);
        QCOMPARE(image.size(), QSize(400, 300));
        // Fitted: both texts show, the second one's end included.
        QVERIFY(inkIn(image, QRect(0, 0, 60, 300)) > 0.001);
        QVERIFY(inkIn(image, QRect(300, 0, 100, 300)) > 0.001);
        for (const char* suffix : {"svg", "pdf"}) {
            const QString file = path(QStringLiteral("cli.%1").arg(suffix));
            QCOMPARE(std::get<0>(run({QStringLiteral("--export"), file, drawing})), 0);
            QVERIFY(QFileInfo(file).size() > 500);
        }
        const QString reason = notTextIn(path(QStringLiteral("cli.pdf")),
                                         {QStringLiteral("配管"), QStringLiteral("東京")});
        QVERIFY2(reason.isEmpty(), qPrintable(reason));
        std::tie(code, out, err) = run({QStringLiteral("--texts"), drawing});
        QCOMPARE(code, 0);
        QCOMPARE(QString::fromUtf8(out),
                 QStringLiteral("0\t0\t100\t0\t配管\n1000\t0\t100\t0\t東京\n"));
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("--texts"), path(QStringLiteral("ない.dxf"))},
              QStringList{QStringLiteral("--export"), png, path(QStringLiteral("ない.dxf"))}}) {
            std::tie(code, out, err) = run(arguments);
            QCOMPARE(code, 1);
            QVERIFY2(QString::fromUtf8(err).contains(QStringLiteral("実行時エラー 53")),
                     err.constData());
        }
        QCOMPARE(std::get<0>(run({QStringLiteral("--export"), png, QStringLiteral("--size"),
                                  QStringLiteral("wide"), drawing})),
                 2);
    }

    void sameFileTwiceKeepsOneWindowAndReloads() {
        PreviewWindow* first = openAndWait(path(QStringLiteral("図面.dxf")));
        QVERIFY(first);
        QVERIFY(QFile::link(path(QStringLiteral("図面.dxf")), path(QStringLiteral("link.dxf"))));
        QSignalSpy reloaded(first, &PreviewWindow::loaded);
        PreviewWindow* second = previews_->open(path(QStringLiteral("link.dxf")));
        QCOMPARE(second, first);
        QTRY_COMPARE(reloaded.size(), 1);
        QCOMPARE(previews_->windows().size(), std::size_t{1});
    }

    void escapeCloses() {
        PreviewWindow* window = openAndWait(path(QStringLiteral("図面.dxf")));
        QVERIFY(window);
        QApplication::setActiveWindow(window);
        QTest::keyClick(window->view(), Qt::Key_Escape);
        QTRY_VERIFY(previews_->windows().empty());
    }
};

// The programs offered for a drawing, from a desktop set up in a folder of the test's own.
class DesktopAppsTest : public QObject {
    Q_OBJECT

  private slots:
    void offersTheOtherProgramsDefaultFirstAndStartsThemByTheFilesBytes() {
        QTemporaryDir desktop;
        const QString apps = desktop.filePath("data/applications");
        QVERIFY(QDir().mkpath(apps));
        QVERIFY(QDir().mkpath(desktop.filePath("config")));
        auto entry = [&](const QString& id, const QString& exec, const QString& extra = {}) {
            writeBytes(apps + '/' + id,
                       ("[Desktop Entry]\nType=Application\nName=" + id + "\nName[ja]=" + id +
                        " 日本語\nExec=" + exec + "\n" + extra)
                           .toUtf8());
        };
        const QString record = desktop.filePath("record.sh");
        writeBytes(record, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.out\"\n");
        QFile::setPermissions(record, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        entry("io.github.quillet.Quillet.desktop", "quillet %f");
        entry("zz-quillet-open-with.desktop", "quillet %f");
        entry("librecad.desktop", record + " %f");
        entry("viewer.desktop", "viewer --open \"a b\" %U");
        entry("hidden.desktop", "hidden %f", "Hidden=true\n");
        entry("removed.desktop", "removed %f");
        // Quillet made itself the default at install; the user's list names another.
        writeBytes(desktop.filePath("config/mimeapps.list"),
                   "[Default Applications]\nimage/vnd.dxf=io.github.quillet.Quillet.desktop;"
                   "librecad.desktop;\n[Removed Associations]\nimage/vnd.dxf=removed.desktop;\n");
        writeBytes(apps + "/mimeinfo.cache",
                   "[MIME Cache]\nimage/vnd.dxf=io.github.quillet.Quillet.desktop;viewer.desktop;"
                   "zz-quillet-open-with.desktop;"
                   "hidden.desktop;removed.desktop;librecad.desktop;\ntext/csv=other.desktop;\n");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(desktop.filePath("config")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(desktop.filePath("none")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(desktop.filePath("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(desktop.filePath("none")));

        using quillet::window::qt::preview::applicationsFor;
        const auto offered = applicationsFor({"image/vnd.dxf"});
        QStringList ids;
        for (const auto& app : offered)
            ids << app.id + (app.isDefault ? "*" : "");
        QCOMPARE(ids, (QStringList{"io.github.quillet.Quillet.desktop*", "librecad.desktop*",
                                   "viewer.desktop", "zz-quillet-open-with.desktop"}));
        QCOMPARE(offered[1].name, QStringLiteral("librecad.desktop 日本語"));

        // The preview offers the others, never Quillet's own entries, the first default first.
        using quillet::window::qt::preview::PreviewWindow;
        QStringList messages;
        auto* window = new PreviewWindow(QFile::encodeName(desktop.filePath("none.dxf")),
                                         quillet::window::qt::preview::previewEnvironment(),
                                         [&](QWidget*, const QString& m) { messages << m; });
        QStringList menu;
        for (const auto& app : window->session().applications())
            menu << QString::fromStdString(quillet::scene::PreviewSession::menuTextOf(app));
        QCOMPARE(menu, (QStringList{"librecad.desktop 日本語（既定）", "viewer.desktop 日本語"}));
        window->session().run(quillet::scene::PreviewAction::OpenDefault);
        QTRY_COMPARE(readBytes(record + ".out"), QFile::encodeName(desktop.filePath("none.dxf")));
        QVERIFY(messages.isEmpty());
        delete window;

        // A name in code page 932, which is no UTF-8: the program gets its very bytes.
        const QByteArray drawing = QFile::encodeName(desktop.path()) + "/\x83\x65\x83\x58.dxf";
        using quillet::window::qt::preview::commandFor;
        const std::vector<QByteArray> viewer{"viewer", "--open", "a b",
                                             "file://" + drawing.toPercentEncoding("/")};
        QVERIFY(commandFor(offered[2].exec, drawing) == viewer);
        QVERIFY(commandFor("plain", drawing) == (std::vector<QByteArray>{"plain", drawing}));
        QVERIFY(commandFor("\"open", drawing).empty());
        QVERIFY(quillet::window::qt::preview::startDetached(commandFor(offered[1].exec, drawing)));
        QTRY_COMPARE(readBytes(record + ".out"), drawing);
        QVERIFY(!quillet::window::qt::preview::startDetached({"no-such-program-here"}));
        for (const char* name :
             {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            qunsetenv(name);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PreviewTest preview;
    DesktopAppsTest apps;
    return QTest::qExec(&preview, argc, argv) | QTest::qExec(&apps, argc, argv);
}
#include "PreviewTest.moc"
