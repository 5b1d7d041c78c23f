#include <QSignalSpy>
#include <QTest>

#include "client/resources/Strings.h"
#include "client/resources/resource.h"
#include "client/shell/SystemTray.h"
#include "tests/client/shell/controls/ControlTests.h"

namespace fonedesk::test {
namespace {

QIcon Solid(Qt::GlobalColor color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

}  // namespace

class SystemTrayTest : public QObject {
    Q_OBJECT
  private slots:
    void keepsItsStateWithoutANotificationArea() {
        CSystemTray tray;
        const QIcon idle = CSystemTray::LoadIcon(IDR_MAINFRAME);
        QVERIFY(!idle.isNull());
        QCOMPARE(tray.Create(nullptr, LoadString(AFX_IDS_APP_TITLE), idle, IDC_TRAY_ICON),
                 CSystemTray::IsAvailable());
        QVERIFY(tray.IsCreated());
        QCOMPARE(tray.Id(), IDC_TRAY_ICON);
        QCOMPARE(tray.TooltipText(), QStringLiteral("Звоникс"));
        QCOMPARE(tray.Icon().cacheKey(), idle.cacheKey());

        const QString longNumber(80, QLatin1Char('7'));
        tray.SetTooltipText(longNumber);
        QCOMPARE(tray.TooltipText(), longNumber.left(CSystemTray::kMaxTooltipLength));

        tray.SetIconList({IDI_RING_CALL, IDI_RING_OFF});
        QCOMPARE(tray.IconCount(), 2);
        for (const int id : {IDR_MAINFRAME, IDI_RING_CALL, IDI_RING_PARALLEL, IDI_RING_OFF}) {
            QVERIFY2(!CSystemTray::LoadIcon(id).pixmap(16, 16).isNull(),
                     qPrintable(QString::number(id)));
        }
        QVERIFY(CSystemTray::LoadIcon(1).isNull());

        tray.Remove();
        QVERIFY(!tray.IsCreated());
        QVERIFY(!tray.IsVisible());
    }

    void animationCyclesUntilStoppedAndRestoresTheIcon() {
        CSystemTray tray;
        const QIcon idle = Solid(Qt::blue);
        tray.Create(nullptr, QStringLiteral("Звоникс"), idle, IDC_TRAY_ICON);
        const QList<QIcon> frames{Solid(Qt::red), Solid(Qt::yellow)};
        tray.SetIconList(frames);

        QList<int> shown;
        connect(&tray, &CSystemTray::iconChanged, this, [&] {
            if (tray.IsAnimating()) {
                shown.append(tray.CurrentIconIndex());
                QCOMPARE(tray.Icon().cacheKey(), frames[tray.CurrentIconIndex()].cacheKey());
            }
        });

        // With a limit of one second the animation ends by itself ...
        tray.Animate(5, 1);
        QVERIFY(tray.IsAnimating());
        QCOMPARE(tray.CurrentIconIndex(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(!tray.IsAnimating(), 20000);
        const qsizetype limitedSteps = shown.size();
        QVERIFY(limitedSteps >= 2);
        QCOMPARE(tray.Icon().cacheKey(), idle.cacheKey());

        // ... without one (-1) it is still running well past that many steps.
        shown.clear();
        tray.Animate(5, -1);
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() > limitedSteps * 2 + 10, 60000);
        QVERIFY(tray.IsAnimating());
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown[i], int(i % 2));  // first frame first, then wrapping
        }

        tray.StopAnimation();
        QVERIFY(!tray.IsAnimating());
        QCOMPARE(tray.Icon().cacheKey(), idle.cacheKey());
        QCOMPARE(tray.CurrentIconIndex(), -1);
    }

    void restartedAnimationRestoresTheIconFromBeforeTheFirst() {
        CSystemTray tray;
        const QIcon idle = Solid(Qt::blue);
        tray.Create(nullptr, QString(), idle, IDC_TRAY_ICON);
        tray.SetIconList({Solid(Qt::red), Solid(Qt::yellow)});
        QSignalSpy changes(&tray, &CSystemTray::iconChanged);
        tray.Animate(5, -1);
        QTRY_VERIFY(changes.size() >= 3);  // a frame is on show now
        tray.Animate(5, -1);
        QTRY_VERIFY(changes.size() >= 7);
        tray.StopAnimation();
        QCOMPARE(tray.Icon().cacheKey(), idle.cacheKey());
        // Stopping again changes nothing.
        tray.SetIcon(Solid(Qt::green));
        const qint64 green = tray.Icon().cacheKey();
        tray.StopAnimation();
        QCOMPARE(tray.Icon().cacheKey(), green);
    }
};

namespace {
const RegisterControlTest registration([] { return new SystemTrayTest; });
}

}  // namespace fonedesk::test

#include "SystemTrayTest.moc"
