// Drive1 in Qt: filled again when it opens, the choice kept without a change of drive.
#include "window/qt/DriveBox.h"

#include <QSignalSpy>

#include <QTest>

using namespace quillet::window::qt;

class DriveListTest : public QObject {
    Q_OBJECT

  private slots:
    // Media plugged in after start-up appear when the list opens; the choice stays.
    void theListIsFilledAgainWhenItOpens() {
        QList<QByteArray> mounted{"/", "/home"};
        // As the form logic does: the drives read again, the one chosen kept chosen.
        DriveBox* box = nullptr;
        DriveBox drives([&] {
            box->showDrives(mounted, int(mounted.indexOf(box->pathAt(box->currentIndex()))));
        });
        box = &drives;
        drives.showDrives(mounted, 0);
        drives.setCurrentIndex(1);
        QSignalSpy changes(&drives, &QComboBox::currentIndexChanged);
        mounted = QList<QByteArray>{"/", "/a-stick", "/home"};
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
