#include "client/shell/SystemTray.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QWidget>

#include "client/resources/Strings.h"
#include "client/resources/resource.h"

namespace fonedesk {

CSystemTray::CSystemTray(QObject* parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &CSystemTray::StepAnimation);
}

CSystemTray::~CSystemTray() {
    Remove();
}

bool CSystemTray::IsAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QIcon CSystemTray::LoadIcon(int id) {
    switch (id) {
        case IDR_MAINFRAME:
            return QIcon(QStringLiteral(":/icons/program-128.svg"));
        case IDI_RING_CALL:
            return QIcon(QStringLiteral(":/icons/ring-call-129.svg"));
        case IDI_RING_PARALLEL:
            return QIcon(QStringLiteral(":/icons/ring-parallel-152.svg"));
        case IDI_RING_OFF:
            return QIcon(QStringLiteral(":/icons/ring-off-153.svg"));
        default:
            return QIcon();
    }
}

bool CSystemTray::Create(QWidget* owner, const QString& tooltip, const QIcon& icon, int id) {
    m_owner = owner;
    m_id = id;
    m_created = true;
    // On X11 the icon is made even without a notification area, since an XEmbed tray that
    // starts later picks it up; elsewhere (offscreen, a Wayland without a StatusNotifier host)
    // only the state is kept.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (m_trayIcon == nullptr && (x11 || IsAvailable())) {
        m_trayIcon = new QSystemTrayIcon(this);
        connect(
            m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger) {
                    emit activated();
                }
            });
    }
    SetTooltipText(tooltip);
    SetIcon(icon);
    if (m_trayIcon != nullptr) {
        m_trayIcon->show();
    }
    return IsAvailable();
}

bool CSystemTray::IsVisible() const {
    return m_trayIcon != nullptr && m_trayIcon->isVisible() && IsAvailable();
}

void CSystemTray::SetIcon(const QIcon& icon) {
    ShowIcon(icon);
}

void CSystemTray::SetIcon(int iconId) {
    ShowIcon(LoadIcon(iconId));
}

void CSystemTray::ShowIcon(const QIcon& icon) {
    m_icon = icon;
    if (m_trayIcon != nullptr) {
        m_trayIcon->setIcon(icon);
    }
    emit iconChanged();
}

void CSystemTray::SetTooltipText(const QString& text) {
    m_tooltip = text.left(kMaxTooltipLength);
    // Never half a character.
    if (!m_tooltip.isEmpty() && m_tooltip.back().isHighSurrogate()) {
        m_tooltip.chop(1);
    }
    if (m_trayIcon != nullptr) {
        m_trayIcon->setToolTip(m_tooltip);
    }
}

void CSystemTray::SetTooltipText(int stringId) {
    SetTooltipText(LoadString(stringId));
}

void CSystemTray::SetIconList(const QList<QIcon>& icons) {
    m_frames = icons;
}

void CSystemTray::SetIconList(const QStringList& resourcePaths) {
    QList<QIcon> icons;
    for (const QString& path : resourcePaths) {
        icons.append(QIcon(path));
    }
    SetIconList(icons);
}

void CSystemTray::SetIconList(std::initializer_list<int> iconIds) {
    QList<QIcon> icons;
    for (const int id : iconIds) {
        icons.append(LoadIcon(id));
    }
    SetIconList(icons);
}

void CSystemTray::Animate(int periodMs, int durationSeconds) {
    StopAnimation();
    m_iconBefore = m_icon;
    m_durationSeconds = durationSeconds;
    m_frameIndex = -1;
    m_started.start();
    m_timer.start(qMax(1, periodMs));
}

void CSystemTray::StepAnimation() {
    if (!m_frames.isEmpty()) {
        m_frameIndex = (m_frameIndex + 1) % static_cast<int>(m_frames.size());
        ShowIcon(m_frames.at(m_frameIndex));
    }
    if (m_durationSeconds > 0 && m_started.hasExpired(qint64(m_durationSeconds) * 1000)) {
        StopAnimation();
    }
}

void CSystemTray::StopAnimation() {
    if (!m_timer.isActive()) {
        return;
    }
    m_timer.stop();
    m_frameIndex = -1;
    ShowIcon(m_iconBefore);
}

void CSystemTray::Remove() {
    m_timer.stop();
    m_frameIndex = -1;
    if (m_trayIcon != nullptr) {
        m_trayIcon->hide();
        delete m_trayIcon;
    }
    m_created = false;
}

}  // namespace fonedesk
