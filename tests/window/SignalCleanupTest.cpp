// The window's program, ended by a signal the instant its temporary name appears, whichever
// of its threads takes the signal: nothing stays behind and the old drawing is untouched.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class SignalCleanupTest : public QObject {
    Q_OBJECT

  private slots:
    void signalAtTheTemporaryName_data() {
        QTest::addColumn<QStringList>("settings");
        QTest::newRow("unnamed file linked") << QStringList{"QUILLET_SHIM_AT=link"};
        QTest::newRow("named file created")
            << QStringList{"QUILLET_SHIM_NO_UNNAMED=1", "QUILLET_SHIM_AT=create"};
    }

    void signalAtTheTemporaryName() {
        QFETCH(QStringList, settings);
        QTemporaryDir folder;
        QFile in(folder.filePath("in.csv"));
        QVERIFY(in.open(QIODevice::WriteOnly) && in.write("a,b\r\n") > 0);
        in.close();
        const QByteArray before = "the drawing before\r\n";
        QFile old(folder.filePath("out.dxf"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) > 0);
        old.close();
        const QStringList entries =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LD_PRELOAD", QUILLET_TEMP_SHIM_PATH);
        environment.insert("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0");
        environment.insert("QUILLET_SHIM_SIGNAL", QString::number(SIGTERM));
        for (const QString& setting : settings)
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
        // The race it guards against was lost about one run in three.
        for (int run = 0; run < 20; ++run) {
            QProcess probe;
            probe.setProcessEnvironment(environment);
            probe.start(QUILLET_SIGNAL_PROBE_PATH, {folder.path(), "in.csv", "out.dxf"});
            QVERIFY(probe.waitForFinished(30000));
            QCOMPARE(probe.exitStatus(), QProcess::CrashExit);
            QCOMPARE(probe.exitCode(), SIGTERM);
            QCOMPARE(QDir(folder.path())
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     entries);
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), before);
            old.close();
        }
    }
};

QTEST_GUILESS_MAIN(SignalCleanupTest)
#include "SignalCleanupTest.moc"
