#include "client/shell/HyperLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEnterEvent>
#include <QFileInfo>
#include <QMouseEvent>

#include "client/resources/Strings.h"
#include "client/shell/Prompts.h"

namespace fonedesk {

CHyperLink::CHyperLink(QWidget* parent) : CHyperLink(QString(), QString(), parent) {}

CHyperLink::CHyperLink(const QString& text, const QString& url, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(false);
    // Only the text is the link: a layout must not stretch the clickable area past it.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_url = url;
    QLabel::setText(text);
    SetURL(url);
}

void CHyperLink::SetURL(const QString& url) {
    m_url = url;
    setToolTip(url);
    if (text().isEmpty()) {
        QLabel::setText(url);
    }
    UpdateLook();
}

void CHyperLink::SetText(const QString& text) {
    QLabel::setText(text.isEmpty() ? m_url : text);
    UpdateLook();
}

void CHyperLink::SetVisited(bool visited) {
    m_visited = visited;
    UpdateLook();
}

void CHyperLink::SetUnderline(bool underline) {
    m_underline = underline;
    UpdateLook();
}

QColor CHyperLink::CurrentColor() const {
    if (m_hover) {
        return palette().color(QPalette::Highlight);
    }
    return m_visited ? kVisitedColor : kLinkColor;
}

QUrl CHyperLink::TargetUrl(const QString& url) {
    const QString target = url.trimmed();
    if (target.startsWith(QLatin1Char('/'))) {
        return QUrl::fromLocalFile(target);
    }
    if (target.startsWith(QLatin1String("~/"))) {
        return QUrl::fromLocalFile(QDir::homePath() + target.mid(1));
    }
    const QUrl parsed(target, QUrl::StrictMode);
    if (parsed.isValid() && !parsed.scheme().isEmpty()) {
        return parsed;
    }
    return QUrl::fromUserInput(target, QDir::currentPath(), QUrl::AssumeLocalFile);
}

CHyperLink::ShellResult CHyperLink::FailureOf(const QString& url) {
    const QUrl target = TargetUrl(url);
    if (!target.isValid() || target.isEmpty()) {
        return kOtherFailure;
    }
    if (target.isLocalFile()) {
        const QFileInfo file(target.toLocalFile());
        if (!file.exists()) {
            return file.dir().exists() ? kFileNotFound : kPathNotFound;
        }
        if (!file.isReadable()) {
            return kAccessDenied;
        }
        // The file is there; the desktop could not open it.
        return kOtherFailure;
    }
    return kNoAssociation;
}

QString CHyperLink::ShellErrorText(int result) {
    const char* text = nullptr;
    switch (result) {
        case kOutOfResources:
            text = texts::kShellOutOfResources;
            break;
        case kFileNotFound:
            text = texts::kShellFileNotFound;
            break;
        case kPathNotFound:
            text = texts::kShellPathNotFound;
            break;
        case kBadFormat:
            text = texts::kShellBadFormat;
            break;
        case kAccessDenied:
            text = texts::kShellAccessDenied;
            break;
        case kAssocIncomplete:
            text = texts::kShellAssocIncomplete;
            break;
        case kDdeBusy:
            text = texts::kShellDdeBusy;
            break;
        case kDdeFail:
            text = texts::kShellDdeFail;
            break;
        case kDdeTimeout:
            text = texts::kShellDdeTimeout;
            break;
        case kDllNotFound:
            text = texts::kShellDllNotFound;
            break;
        case kNoAssociation:
            text = texts::kShellNoAssociation;
            break;
        case kOutOfMemory:
            text = texts::kShellOutOfMemory;
            break;
        case kSharingViolation:
            text = texts::kShellSharingViolation;
            break;
        default:
            return QString::asprintf(texts::kShellUnknownError, result);
    }
    return QString::fromUtf8(text);
}

bool CHyperLink::Open() {
    const QUrl target = TargetUrl(m_url);
    // A local target is checked here: the desktop's opener runs detached and would fail where
    // no one sees it.
    bool done = false;
    if (target.isValid() && !target.isEmpty()) {
        const bool missing = target.isLocalFile() && !QFileInfo(target.toLocalFile()).isReadable();
        done = !missing && QDesktopServices::openUrl(target);
    }
    if (!done) {
        QApplication::beep();
        CPrompts::Message(
            window(), QMessageBox::Warning,
            QString::fromUtf8(texts::kHyperlinkFailed) + ShellErrorText(FailureOf(m_url)));
        return false;
    }
    SetVisited(true);
    emit opened(target);
    return true;
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    m_hover = true;
    UpdateLook();
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
    m_hover = false;
    UpdateLook();
    QLabel::leaveEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Open();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperLink::changeEvent(QEvent* event) {
    // A new palette brings a new highlight colour.
    if (event->type() == QEvent::PaletteChange && !m_updating) {
        UpdateLook();
    }
    QLabel::changeEvent(event);
}

void CHyperLink::UpdateLook() {
    m_updating = true;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, CurrentColor());
    setPalette(pal);
    QFont f = font();
    f.setUnderline(m_underline);
    setFont(f);
    m_updating = false;
    adjustSize();
    update();
}

}  // namespace fonedesk
