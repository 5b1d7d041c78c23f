#include "client/shell/RecordDialog.h"

#include <QPushButton>

#include "client/data/PhoneBook.h"
#include "client/resources/Strings.h"
#include "client/resources/resource.h"
#include "client/shell/SystemTray.h"
#include "ui_RecordDialog.h"

namespace fonedesk {

CRecordDialog::CRecordDialog(bool phoneReadOnly, bool popup, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::IDD_RECORD_DIALOG>()), m_popup(popup) {
    m_ui->setupUi(this);
    // A close box without the help button; the Escape key and the close box cancel.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ui->IDC_RECORD_ICON->setVisible(popup);
    m_ui->IDC_RECORD_PHONE->setReadOnly(phoneReadOnly);
    if (popup) {
        m_ui->IDC_RECORD_ICON->setPixmap(
            CSystemTray::LoadIcon(IDI_RING_CALL).pixmap(QSize(48, 48), devicePixelRatioF()));
        setWindowIcon(CSystemTray::LoadIcon(IDR_MAINFRAME));
        // Only a request: a Wayland compositor may keep it below; the desktop notification
        // tells of the call there.
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    connect(m_ui->IDOK, &QPushButton::clicked, this, &CRecordDialog::accept);
}

CRecordDialog::~CRecordDialog() = default;

void CRecordDialog::SetTitleId(int stringId) {
    setWindowTitle(LoadString(stringId));
}

void CRecordDialog::SetTexts(const QString& phone, const QString& subscriber,
                             const QString& comment) {
    // The limits hold for texts put in from outside too.
    m_ui->IDC_RECORD_PHONE->setText(phone.left(m_ui->IDC_RECORD_PHONE->maxLength()));
    m_ui->IDC_RECORD_ABONENT->setText(subscriber.left(m_ui->IDC_RECORD_ABONENT->maxLength()));
    m_ui->IDC_RECORD_COMMENT->setText(comment.left(m_ui->IDC_RECORD_COMMENT->maxLength()));
}

void CRecordDialog::accept() {
    m_phone = m_ui->IDC_RECORD_PHONE->text();
    m_subscriber = m_ui->IDC_RECORD_ABONENT->text();
    m_comment = m_ui->IDC_RECORD_COMMENT->text();
    if (!m_popup && (!IsValidPhone(m_phone.toStdString()) || m_subscriber.isEmpty())) {
        return;  // stays open, silently
    }
    QDialog::accept();
}

void CRecordDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_popup) {
        raise();
        activateWindow();
    }
}

}  // namespace fonedesk
