#include "tests/client/shell/support/ModalAnswerer.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "client/shell/RecordDialog.h"
#include "client/shell/WaitDialog.h"

namespace fonedesk::test {

CModalAnswerer::CModalAnswerer() {
    connect(&m_timer, &QTimer::timeout, this, &CModalAnswerer::Look);
    m_timer.start(20);
}

void CModalAnswerer::Look() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) {
            continue;
        }
        if (auto* record = qobject_cast<CRecordDialog*>(top)) {
            if (m_answered == record) {
                ++recordsLeftOpen;
                m_answered = nullptr;
                record->reject();
                continue;
            }
            auto shown = [record](const char* name) {
                return record->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
            };
            recordTitles << record->windowTitle();
            recordPhones << shown("IDC_RECORD_PHONE");
            recordSubscribers << shown("IDC_RECORD_ABONENT");
            recordComments << shown("IDC_RECORD_COMMENT");
            RecordAnswer answer;
            answer.ok = false;  // nothing queued: the close box
            if (!m_records.isEmpty()) {
                answer = m_records.dequeue();
            }
            if (!answer.ok) {
                record->reject();
                continue;
            }
            auto set = [record](const char* name, const QString& text) {
                auto* edit = record->findChild<QLineEdit*>(QString::fromLatin1(name));
                if (!edit->isReadOnly()) {
                    edit->setText(text);
                }
            };
            set("IDC_RECORD_PHONE", answer.phone);
            set("IDC_RECORD_ABONENT", answer.subscriber);
            set("IDC_RECORD_COMMENT", answer.comment);
            m_answered = record;
            record->findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
            if (!record->isVisible()) {
                m_answered = nullptr;
            }
        } else if (auto* wait = qobject_cast<CWaitDialog*>(top)) {
            auto* ok = wait->findChild<QPushButton*>(QStringLiteral("IDOK"));
            if (ok != nullptr && ok->isVisible()) {
                finishingTexts << wait->Text();
                ok->click();
            }
        }
    }
}

}  // namespace fonedesk::test
