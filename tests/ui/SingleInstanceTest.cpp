// One running copy per user: a second start reaches the first and is told to quit.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ui/SingleInstance.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

class SingleInstanceTest : public QObject {
    Q_OBJECT
  private slots:
    void aSecondStartReachesTheRunningCopy() {
        QTemporaryDir folder;
        const auto path = folder.filePath("plovik.socket");
        SingleInstance first(path);
        QVERIFY(!first.notifyRunningInstance());
        QVERIFY(first.listen());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);

        bool answered = false;
        QTimer::singleShot(0, [&] {
            SingleInstance second(path);
            answered = second.notifyRunningInstance();
        });
        QTRY_COMPARE(activations.count(), 1);
        QVERIFY(answered);
    }

    void aSocketLeftByAnEndedCopyIsTakenOver() {
        QTemporaryDir folder;
        const auto path = folder.filePath("plovik.socket");
        {
            SingleInstance ended(path);
            QVERIFY(ended.listen());
        }
        QFile leftover(path);
        leftover.open(QIODevice::WriteOnly);
        leftover.close();
        SingleInstance next(path);
        QVERIFY(!next.notifyRunningInstance());
        QVERIFY(next.listen());
    }
};

std::unique_ptr<QObject> makeSingleInstanceTest() {
    return std::make_unique<SingleInstanceTest>();
}

}  // namespace plovik::ui::testing

#include "SingleInstanceTest.moc"
