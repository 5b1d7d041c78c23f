#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace fonedesk::test {

// One Notify call as the server received it.
struct NotifyCall {
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
};

// Stands in for the desktop's notification server (org.freedesktop.Notifications) on a private
// session bus, on a connection of its own so that every call really crosses the bus. Answers
// ids from 41 on (not 1, so that an id the client made up would show), or holds its answers
// until told.
class CTestNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    CTestNotificationServer() = default;
    ~CTestNotificationServer() override;

    // Takes the service name on the session bus; false without a bus or when it is taken.
    bool Register();
    bool EmitActionInvoked(uint id, const QString& action);
    bool EmitClosed(uint id);
    // Answers the calls held so far.
    void AnswerHeld();

    bool holdAnswers = false;
    QList<NotifyCall> calls;
    QList<uint> answered;

  signals:
    // A Notify call has just arrived (emitted before it is answered).
    void notified();

  public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout, const QDBusMessage& message);
    QStringList GetCapabilities();
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);

  private:
    QDBusConnection m_bus{QString()};
    QList<QDBusMessage> m_held;
    uint m_nextId = 41;
};

}  // namespace fonedesk::test
