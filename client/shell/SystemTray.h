#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <initializer_list>

class QSystemTrayIcon;
class QWidget;

namespace fonedesk {

// The notification-area icon with its animation (the incoming-call and parallel-dialling
// frames). Desktops without a tray (GNOME without the AppIndicator extension, Wayland without
// a StatusNotifier host, offscreen) still get every call: the icon, tool tip and animation are
// kept and step as usual, they are only not shown, so the frame works the same everywhere.
class CSystemTray : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMaxTooltipLength = 63;

    explicit CSystemTray(QObject* parent = nullptr);
    ~CSystemTray() override;
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Whether the desktop has a notification area now.
    static bool IsAvailable();
    // The program's icons by resource id: 128 program, 129 and 153 the incoming-call frames,
    // 152 parallel dialling. A null icon for any other id.
    static QIcon LoadIcon(int id);

    // Adds the icon. `owner` is the window the icon stands for (its context, not its parent).
    // False when the desktop has no notification area; the object works on regardless.
    bool Create(QWidget* owner, const QString& tooltip, const QIcon& icon, int id);
    bool IsCreated() const { return m_created; }
    int Id() const { return m_id; }
    QWidget* Owner() const { return m_owner; }
    // Whether the icon is in a notification area right now.
    bool IsVisible() const;

    void SetIcon(const QIcon& icon);
    void SetIcon(int iconId);
    QIcon Icon() const { return m_icon; }

    // At most kMaxTooltipLength characters are kept.
    void SetTooltipText(const QString& text);
    void SetTooltipText(int stringId);
    QString TooltipText() const { return m_tooltip; }

    // The frames of the animation.
    void SetIconList(const QList<QIcon>& icons);
    void SetIconList(const QStringList& resourcePaths);
    void SetIconList(std::initializer_list<int> iconIds);
    int IconCount() const { return static_cast<int>(m_frames.size()); }

    // Stops a running animation, remembers the icon shown now and shows the next frame every
    // `periodMs`, wrapping to the first; after `durationSeconds` (greater than 0) the animation
    // stops by itself, -1 runs it until StopAnimation.
    void Animate(int periodMs, int durationSeconds = -1);
    // Ends the animation and shows the icon from before it again.
    void StopAnimation();
    bool IsAnimating() const { return m_timer.isActive(); }
    // The frame shown last, -1 before the first step of an animation.
    int CurrentIconIndex() const { return m_frameIndex; }

    // Takes the icon out of the notification area (the destructor does it too).
    void Remove();

  signals:
    // The user activated the icon (a double-click, or the single click of StatusNotifier trays,
    // which report no double-click): the frame restores its window.
    void activated();
    // The icon changed (a step of the animation included).
    void iconChanged();

  private:
    void StepAnimation();
    void ShowIcon(const QIcon& icon);

    QPointer<QSystemTrayIcon> m_trayIcon;
    QPointer<QWidget> m_owner;
    bool m_created = false;
    int m_id = 0;
    QIcon m_icon;
    QString m_tooltip;
    QList<QIcon> m_frames;
    int m_frameIndex = -1;
    QTimer m_timer;
    QElapsedTimer m_started;
    int m_durationSeconds = -1;
    QIcon m_iconBefore;
};

}  // namespace fonedesk
