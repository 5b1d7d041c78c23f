#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <QUrl>

namespace fonedesk {

// The about box's link: an underlined text in link blue (visited: purple, under the mouse: the
// palette's highlight) that sizes itself to its text, shows its target as the tool tip and the
// pointing hand as the cursor, and opens the target with the desktop's handler when clicked. A
// target that cannot be opened beeps and says why in a message box.
class CHyperLink : public QLabel {
    Q_OBJECT
    // Settable from a form (property with stdset="0").
    Q_PROPERTY(QString url READ URL WRITE SetURL)
  public:
    static inline const QColor kLinkColor{0x00, 0x00, 0xEE};
    static inline const QColor kVisitedColor{0x55, 0x1A, 0x8B};

    explicit CHyperLink(QWidget* parent = nullptr);
    CHyperLink(const QString& text, const QString& url, QWidget* parent = nullptr);

    // The target: an address with a scheme (https:, mailto:, file:) or a local path. Updates the
    // tool tip, and the text when the link has none, and the size.
    void SetURL(const QString& url);
    QString URL() const { return m_url; }
    // The shown text (the target when empty); the link sizes itself to it.
    void SetText(const QString& text);

    void SetVisited(bool visited = true);
    bool IsVisited() const { return m_visited; }
    void SetUnderline(bool underline = true);
    bool IsHover() const { return m_hover; }
    // The colour the text is painted in now.
    QColor CurrentColor() const;

    // Opens the target as a click does. False after the failure message has been shown.
    bool Open();

    // Failures numbered as the shell numbers them, so that each keeps its usual wording.
    enum ShellResult {
        kOutOfResources = 0,
        kOtherFailure = 1,  // the desktop refused without saying why
        kFileNotFound = 2,
        kPathNotFound = 3,
        kAccessDenied = 5,
        kOutOfMemory = 8,
        kBadFormat = 11,
        kSharingViolation = 26,
        kAssocIncomplete = 27,
        kDdeTimeout = 28,
        kDdeFail = 29,
        kDdeBusy = 30,
        kNoAssociation = 31,
        kDllNotFound = 32,
    };
    // Why `url` could not be opened: a local target that is missing (file or folder) or
    // unreadable, a scheme that nothing on the desktop handles, or another failure.
    static ShellResult FailureOf(const QString& url);
    // The message text of a failure.
    static QString ShellErrorText(int result);
    // The target as a URL: a local path becomes a file: URL.
    static QUrl TargetUrl(const QString& url);

  signals:
    void opened(const QUrl& url);

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void UpdateLook();

    QString m_url;
    bool m_visited = false;
    bool m_hover = false;
    bool m_underline = true;
    bool m_updating = false;
};

}  // namespace fonedesk
