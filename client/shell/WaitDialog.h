#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <memory>

#include "client/data/Progress.h"

namespace Ui {
class IDD_WAIT_DIALOG;
}

namespace fonedesk {

// The modeless wait window: a text, an optional progress bar and, in its finishing mode, an OK
// button. While it shows, its owner is disabled, so the user cannot start anything else during
// long synchronous work; hiding, closing and destroying it always enable the owner again. Every
// text change is painted at once, because no events are processed meanwhile.
class CWaitDialog : public QDialog, public IProgress {
    Q_OBJECT
  public:
    // An empty text becomes "Ждите...". The window comes to the foreground when shown.
    explicit CWaitDialog(QWidget* owner, const QString& text = {});
    ~CWaitDialog() override;

    void SetText(const QString& text);
    QString Text() const { return m_text; }

    // Shows the text and the OK button and waits (a modal loop) until OK is pressed; the
    // window is hidden afterwards and its owner enabled again.
    void Finish(const QString& text);

    // IProgress.
    void SetProgressText(std::string_view text) override;
    void SetProgressRange(int total) override;
    void SetProgressPosition(int done) override;
    void ProcessOneEvent() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void EnableOwner(bool enable);

    std::unique_ptr<Ui::IDD_WAIT_DIALOG> m_ui;
    QPointer<QWidget> m_owner;
    QString m_text;
};

}  // namespace fonedesk
