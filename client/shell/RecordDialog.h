#pragma once

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class IDD_RECORD_DIALOG;
}

namespace fonedesk {

// The one dialog of a phone-book record (dialog 103): number, subscriber and comment. It stores
// nothing; after an OK the caller reads the three texts. Adding and editing accept OK only for a
// valid number and a subscriber (otherwise the dialog silently stays open); the incoming-call
// pop-up accepts any OK and asks to stay above other windows.
class CRecordDialog : public QDialog {
    Q_OBJECT
  public:
    CRecordDialog(bool phoneReadOnly, bool popup, QWidget* parent = nullptr);
    ~CRecordDialog() override;

    // Set before the dialog runs.
    void SetTitleId(int stringId);
    void SetTexts(const QString& phone, const QString& subscriber, const QString& comment);

    // After the run: the texts as they were when OK was pressed.
    QString Phone() const { return m_phone; }
    QString Subscriber() const { return m_subscriber; }
    QString Comment() const { return m_comment; }

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::IDD_RECORD_DIALOG> m_ui;
    bool m_popup;
    QString m_phone;
    QString m_subscriber;
    QString m_comment;
};

}  // namespace fonedesk
