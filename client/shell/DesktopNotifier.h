#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

namespace fonedesk {

// Announces calls through the desktop's notification server (org.freedesktop.Notifications on
// the session bus), which reaches the user where a stay-on-top pop-up or a tray icon cannot
// (Wayland, GNOME without a tray). Without a session bus or a notification server nothing is
// shown and nothing is said: the pop-up and the tray still announce the call.
class CDesktopNotifier : public QObject {
    Q_OBJECT
  public:
    explicit CDesktopNotifier(QObject* parent = nullptr);
    ~CDesktopNotifier() override;

    // Sends one notification with the program's icon, its desktop entry and a default action,
    // without waiting for the server's answer. False when there is no session bus.
    bool Notify(const QString& summary, const QString& body);

    // The ids the server gave this notifier's notifications that are still shown, and how many
    // answers are still awaited.
    QList<uint> NotificationIds() const;
    int PendingCalls() const;

  signals:
    // The user chose the default action of one of this notifier's notifications.
    void activated();

  private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnNotificationClosed(uint id, uint reason);

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
