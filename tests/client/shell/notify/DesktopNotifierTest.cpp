// The desktop notifier against a notification server of the test's own on a private session bus
// (client_notify_bus_test, under dbus-run-session): what arrives, the ids, the default action,
// an answer that is slow to come, no server at all; and with no session bus (client_notify_test).
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include "client/shell/DesktopNotifier.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"
#include "tests/client/shell/support/TestNotificationServer.h"

using fonedesk::CDesktopNotifier;
using fonedesk::test::CTestNotificationServer;
using fonedesk::test::NotifyCall;

namespace {

// The bus answers at once; the limit only bounds a test that went wrong.
constexpr int kLongWait = 30000;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

bool OnPrivateBus() {
    return !qEnvironmentVariableIsEmpty("FONEDESK_TEST_PRIVATE_BUS");
}

bool AMessageBoxIsShown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox*>(widget) != nullptr && widget->isVisible()) {
            return true;
        }
    }
    return false;
}

}  // namespace

class DesktopNotifierTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void notificationArrivesAsGiven_data();
    void notificationArrivesAsGiven();
    void defaultActionOfOurOwnActivates();
    void notifyDoesNotWaitForTheServer();
    void noServerSaysNothing();
    void noSessionBusSaysNothing();
};

void DesktopNotifierTest::init() {
    // Quiet means quiet: any warning fails the case (our own category speaks only in debug).
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    const bool busCase = QByteArray(QTest::currentTestFunction()) != "noSessionBusSaysNothing";
    if (busCase && !OnPrivateBus()) {
        QSKIP("runs as client_notify_bus_test, on a private session bus (dbus-run-session)");
    }
    if (!busCase && OnPrivateBus()) {
        QSKIP("runs as client_notify_test, without a session bus");
    }
    if (busCase) {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(),
                 "dbus-run-session gave the test no session bus");
    }
}

void DesktopNotifierTest::notificationArrivesAsGiven_data() {
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("body");
    QTest::newRow("a caller in Russian") << U("Входящий вызов") << U("Пётр Ёлкин\n89161234567");
    QTest::newRow("parallel dialing, no name")
        << U("Набор номера на // аппарате") << QStringLiteral("0123");
    QTest::newRow("markup characters stay text") << U("Звонок <b>") << U("Анна & Co <i>");
    QTest::newRow("empty body") << U("Входящий вызов") << QString();
}

void DesktopNotifierTest::notificationArrivesAsGiven() {
    QFETCH(QString, summary);
    QFETCH(QString, body);
    CTestNotificationServer server;
    QVERIFY(server.Register());
    CDesktopNotifier notifier;
    QVERIFY(notifier.Notify(summary, body));
    QTRY_COMPARE_WITH_TIMEOUT(server.calls.size(), 1, kLongWait);
    const NotifyCall& call = server.calls.at(0);
    QCOMPARE(call.appName, QStringLiteral("Fonedesk"));
    QCOMPARE(call.replacesId, 0u);
    QCOMPARE(call.appIcon, QStringLiteral("fonedesk"));
    QCOMPARE(call.summary, summary);
    QCOMPARE(call.body, body);
    QCOMPARE(call.actions, QStringList({QStringLiteral("default"), U("Открыть")}));
    QCOMPARE(call.expireTimeout, -1);
    QCOMPARE(call.hints.size(), 3);
    QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")),
             QVariant(QStringLiteral("fonedesk")));
    QCOMPARE(call.hints.value(QStringLiteral("category")),
             QVariant(QStringLiteral("call.incoming")));
    // The urgency is a byte on the wire ("y"); servers ignore it as any other type.
    const QVariant urgency = call.hints.value(QStringLiteral("urgency"));
    QCOMPARE(urgency.metaType(), QMetaType::fromType<uchar>());
    QCOMPARE(urgency.value<uchar>(), uchar(1));

    // The id the server answered is remembered once its answer is in.
    QTRY_COMPARE_WITH_TIMEOUT(notifier.PendingCalls(), 0, kLongWait);
    QCOMPARE(notifier.NotificationIds(), server.answered);
}

void DesktopNotifierTest::defaultActionOfOurOwnActivates() {
    CTestNotificationServer server;
    QVERIFY(server.Register());
    CDesktopNotifier notifier;
    QSignalSpy activated(&notifier, &CDesktopNotifier::activated);
    QVERIFY(notifier.Notify(U("Входящий вызов"), QStringLiteral("0123")));
    QVERIFY(notifier.Notify(U("Входящий вызов"), QStringLiteral("0124")));
    QTRY_COMPARE_WITH_TIMEOUT(notifier.NotificationIds().size(), 2, kLongWait);
    const uint first = server.answered.at(0);
    const uint second = server.answered.at(1);

    // Another program's notification, and another action of ours, are not ours to answer.
    QVERIFY(server.EmitActionInvoked(second + 100, QStringLiteral("default")));
    QVERIFY(server.EmitActionInvoked(first, QStringLiteral("dismiss")));
    QVERIFY(server.EmitActionInvoked(second, QStringLiteral("default")));
    // The server's signals arrive in order: once the closing of the first is seen, all before it
    // have been handled.
    QVERIFY(server.EmitClosed(first));
    QTRY_COMPARE_WITH_TIMEOUT(notifier.NotificationIds(), QList<uint>{second}, kLongWait);
    QCOMPARE(activated.count(), 1);

    // A notification the server closed is forgotten: an action for it later is not ours.
    QVERIFY(server.EmitActionInvoked(first, QStringLiteral("default")));
    QVERIFY(server.EmitClosed(second));
    QTRY_VERIFY_WITH_TIMEOUT(notifier.NotificationIds().isEmpty(), kLongWait);
    QCOMPARE(activated.count(), 1);
}

void DesktopNotifierTest::notifyDoesNotWaitForTheServer() {
    CTestNotificationServer server;
    QVERIFY(server.Register());
    server.holdAnswers = true;
    CDesktopNotifier notifier;
    // The server runs in this very thread: a notifier that waited for the answer would not get
    // it before the call's own time limit, and the server would see the call only after that.
    QVERIFY(notifier.Notify(U("Входящий вызов"), QStringLiteral("0123")));
    QCOMPARE(notifier.PendingCalls(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(server.calls.size(), 1, kLongWait);
    QCOMPARE(notifier.PendingCalls(), 1);
    QVERIFY(notifier.NotificationIds().isEmpty());
    server.AnswerHeld();
    QTRY_COMPARE_WITH_TIMEOUT(notifier.PendingCalls(), 0, kLongWait);
    QCOMPARE(notifier.NotificationIds(), QList<uint>{41});
}

void DesktopNotifierTest::noServerSaysNothing() {
    // Nobody owns the name on this bus: the call fails on the bus, quietly.
    CDesktopNotifier notifier;
    QSignalSpy activated(&notifier, &CDesktopNotifier::activated);
    QVERIFY(notifier.Notify(U("Входящий вызов"), QStringLiteral("0123")));
    QTRY_COMPARE_WITH_TIMEOUT(notifier.PendingCalls(), 0, kLongWait);
    QVERIFY(notifier.NotificationIds().isEmpty());
    QCOMPARE(activated.count(), 0);
    QVERIFY(!AMessageBoxIsShown());

    // A server that comes later gets the next notification.
    CTestNotificationServer server;
    QVERIFY(server.Register());
    QVERIFY(notifier.Notify(U("Входящий вызов"), QStringLiteral("0124")));
    QTRY_COMPARE_WITH_TIMEOUT(notifier.NotificationIds(), QList<uint>{41}, kLongWait);
    QVERIFY(server.EmitActionInvoked(41, QStringLiteral("default")));
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, kLongWait);
}

void DesktopNotifierTest::noSessionBusSaysNothing() {
    QVERIFY(!QDBusConnection::sessionBus().isConnected());
    CDesktopNotifier notifier;
    QSignalSpy activated(&notifier, &CDesktopNotifier::activated);
    QVERIFY(!notifier.Notify(U("Входящий вызов"), QStringLiteral("0123")));
    QCOMPARE(notifier.PendingCalls(), 0);
    QVERIFY(notifier.NotificationIds().isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(activated.count(), 0);
    QVERIFY(!AMessageBoxIsShown());
}

int main(int argc, char** argv) {
    // The throwaway world first; it keeps dbus-run-session's bus only for the bus run.
    fonedesk::test::CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    DesktopNotifierTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopNotifierTest.moc"
