#include "tests/client/shell/support/TestNotificationServer.h"

namespace fonedesk::test {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

}  // namespace

CTestNotificationServer::~CTestNotificationServer() {
    if (m_bus.isConnected()) {
        m_bus.unregisterService(kService);
        m_bus.unregisterObject(kPath);
    }
    QDBusConnection::disconnectFromBus(m_bus.name());
}

bool CTestNotificationServer::Register() {
    m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                          QStringLiteral("notify-test-server"));
    return m_bus.isConnected() &&
           m_bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots) &&
           m_bus.registerService(kService);
}

bool CTestNotificationServer::EmitActionInvoked(uint id, const QString& action) {
    QDBusMessage signal =
        QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActionInvoked"));
    signal << id << action;
    return m_bus.send(signal);
}

bool CTestNotificationServer::EmitClosed(uint id) {
    QDBusMessage signal =
        QDBusMessage::createSignal(kPath, kService, QStringLiteral("NotificationClosed"));
    signal << id << uint(2);  // dismissed by the user
    return m_bus.send(signal);
}

void CTestNotificationServer::AnswerHeld() {
    for (const QDBusMessage& call : std::as_const(m_held)) {
        m_bus.send(call.createReply(QVariant::fromValue(m_nextId++)));
    }
    m_held.clear();
}

uint CTestNotificationServer::Notify(const QString& appName, uint replacesId,
                                     const QString& appIcon, const QString& summary,
                                     const QString& body, const QStringList& actions,
                                     const QVariantMap& hints, int expireTimeout,
                                     const QDBusMessage& message) {
    calls.append({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
    emit notified();
    if (holdAnswers) {
        message.setDelayedReply(true);
        m_held.append(message);
        return 0;
    }
    answered.append(m_nextId);
    return m_nextId++;
}

QStringList CTestNotificationServer::GetCapabilities() {
    return {QStringLiteral("actions"), QStringLiteral("body")};
}

QString CTestNotificationServer::GetServerInformation(QString& vendor, QString& version,
                                                      QString& specVersion) {
    vendor = QStringLiteral("test");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.3");
    return QStringLiteral("notify-test-server");
}

}  // namespace fonedesk::test
