#include "window/DriveList.h"
#include "window/DriveBox.h"

#include <QSignalSpy>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using quillet::platform::ErrorNumber;
using namespace quillet::window;

Q_DECLARE_METATYPE(QList<MountEntry>)

class DriveListTest : public QObject {
    Q_OBJECT

  private slots:
    void keepsTheMountsAUserWouldPick_data() {
        QTest::addColumn<QList<MountEntry>>("mounts");
        QTest::addColumn<QStringList>("roots");

        QTest::newRow("typical desktop")
            << QList<MountEntry>{{"/", "ext4"},
                                 {"/proc", "proc"},
                                 {"/sys", "sysfs"},
                                 {"/sys/fs/cgroup", "cgroup2"},
                                 {"/dev", "devtmpfs"},
                                 {"/dev/shm", "tmpfs"},
                                 {"/run", "tmpfs"},
                                 {"/run/user/1000", "tmpfs"},
                                 {"/home", "ext4"},
                                 {"/boot/efi", "vfat"},
                                 {"/snap/core/123", "squashfs"},
                                 {"/media/ann/USB STICK", "vfat"},
                                 {"/run/user/1000/gvfs", "fuse.gvfsd-fuse"}}
            << QStringList{"/", "/boot/efi", "/home", "/media/ann/USB STICK"};
        QTest::newRow("container root is an overlay")
            << QList<MountEntry>{{"/", "overlay"},
                                 {"/srv", "ext4"},
                                 {"/var/lib/docker/x", "overlay"}}
            << QStringList{"/", "/srv"};
        QTest::newRow("removable media below /run")
            << QList<MountEntry>{{"/run/media/ann/DISK", "exfat"}, {"/run/lock", "ext4"}}
            << QStringList{"/", "/run/media/ann/DISK"};
        QTest::newRow("not ready, repeated and untidy roots")
            << QList<MountEntry>{{"/mnt/cd", "iso9660", false},
                                 {"/data/", "xfs"},
                                 {"/data", "xfs"},
                                 {"/", "ext4"}}
            << QStringList{"/", "/data"};
    }
    void keepsTheMountsAUserWouldPick() {
        QFETCH(QList<MountEntry>, mounts);
        QFETCH(QStringList, roots);
        QCOMPARE(pickableRoots(mounts), roots);
    }

    void findsTheDriveOfAFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("root");
        QTest::newRow("below a mount") << "/home/ann/work"
                                       << "/home";
        QTest::newRow("the mount itself") << "/home"
                                          << "/home";
        QTest::newRow("a name that only starts alike") << "/homework/x"
                                                       << "/";
        QTest::newRow("deepest mount wins") << "/home/ann/usb/photos"
                                            << "/home/ann/usb";
        QTest::newRow("the root") << "/"
                                  << "/";
    }
    void findsTheDriveOfAFolder() {
        QFETCH(QString, folder);
        QFETCH(QString, root);
        const QStringList roots{"/", "/home", "/home/ann/usb", "/media/x"};
        QCOMPARE(driveRootOf(folder, roots), root);
    }

    void tellsAFolderThatIsNotReady() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath("plain.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        QCOMPARE(folderNotReady(dir.path().toUtf8()), std::nullopt);
        QCOMPARE(folderNotReady(dir.filePath("gone").toUtf8()), ErrorNumber::PathNotFound);
        QCOMPARE(folderNotReady(dir.filePath("plain.txt").toUtf8()), ErrorNumber::PathNotFound);
    }

    // Media plugged in after start-up appear when the list opens; the choice stays.
    void theListIsFilledAgainWhenItOpens() {
        QStringList mounted{"/", "/home"};
        DriveBox drives([&] { return mounted; });
        drives.setCurrentIndex(1);
        QSignalSpy changes(&drives, &QComboBox::currentIndexChanged);
        mounted = QStringList{"/", "/a-stick", "/home"};
        drives.showPopup();
        drives.hidePopup();
        QCOMPARE(drives.count(), 3);
        QCOMPARE(drives.itemText(1), QStringLiteral("/a-stick"));
        QCOMPARE(drives.currentText(), QStringLiteral("/home"));
        QCOMPARE(changes.size(), 0);
    }
};

QTEST_MAIN(DriveListTest)
#include "DriveListTest.moc"
