#include "client/shell/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

namespace fonedesk {
namespace {

// Off by default: a desktop without a notification server is normal, not worth a word.
Q_LOGGING_CATEGORY(lcNotify, "fonedesk.notify", QtInfoMsg)

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");

}  // namespace

struct CDesktopNotifier::Impl {
    QSet<uint> ids;
    int pending = 0;
};

CDesktopNotifier::CDesktopNotifier(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCDebug(lcNotify) << "no session bus:" << bus.lastError().message();
        return;
    }
    // Bound to the service name: the bus follows it to whichever server owns it now or later.
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnNotificationClosed(uint, uint)));
}

CDesktopNotifier::~CDesktopNotifier() = default;

bool CDesktopNotifier::Notify(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("fonedesk"));
    hints.insert(QStringLiteral("category"), QStringLiteral("call.incoming"));
    // Normal, not critical: a critical notification stays until dismissed, and nothing here
    // takes one back when the call ends, so every past call would pile up on the screen.
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));

    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Fonedesk") << uint(0) << QStringLiteral("fonedesk") << summary << body
         << QStringList{kDefaultAction, QStringLiteral("Открыть")} << hints << int(-1);
    // Never waited for: a server that is slow or hung must not hold up the call's other signs.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    ++d->pending;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                --d->pending;
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    qCDebug(lcNotify)
                        << "Notify:" << reply.error().name() << reply.error().message();
                    return;
                }
                d->ids.insert(reply.value());
            });
    return true;
}

QList<uint> CDesktopNotifier::NotificationIds() const {
    return d->ids.values();
}

int CDesktopNotifier::PendingCalls() const {
    return d->pending;
}

void CDesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    // The server tells every client of every action; only our own notifications count.
    if (action == kDefaultAction && d->ids.contains(id)) {
        emit activated();
    }
}

void CDesktopNotifier::OnNotificationClosed(uint id, uint /*reason*/) {
    d->ids.remove(id);
}

}  // namespace fonedesk
