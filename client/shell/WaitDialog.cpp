#include "client/shell/WaitDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

#include "client/resources/Strings.h"
#include "ui_WaitDialog.h"

namespace fonedesk {

CWaitDialog::CWaitDialog(QWidget* owner, const QString& text)
    // No Qt parent: a disabled parent would disable its child windows too, and the finishing
    // mode's OK button must stay usable. The owner is the window's transient parent instead.
    : QDialog(nullptr), m_ui(std::make_unique<Ui::IDD_WAIT_DIALOG>()), m_owner(owner) {
    m_ui->setupUi(this);
    setWindowTitle(LoadString(AFX_IDS_APP_TITLE));
    setModal(false);
    connect(m_ui->IDOK, &QPushButton::clicked, this, &CWaitDialog::hide);
    SetText(text);
}

CWaitDialog::~CWaitDialog() {
    EnableOwner(true);
}

void CWaitDialog::SetText(const QString& text) {
    m_text = text.isEmpty() ? QString::fromUtf8(texts::kWait) : text;
    m_ui->IDC_WAIT_TEXT->setPlainText(m_text);
    if (isVisible()) {
        repaint();
    }
}

void CWaitDialog::Finish(const QString& text) {
    m_ui->IDC_WAIT_PROGRESS->setVisible(false);
    SetText(text);
    // A report may list many records: it grows the window up to a part of the screen and
    // scrolls beyond.
    QPlainTextEdit* report = m_ui->IDC_WAIT_TEXT;
    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
    if (lines > 3) {
        report->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        const QFontMetrics metrics(report->font());
        const int wanted = std::min(lines, 20) * metrics.lineSpacing();
        resize(std::max(width(), 520), height() + std::max(0, wanted - report->height()));
    }
    m_ui->IDOK->setVisible(true);
    m_ui->IDOK->setFocus();
    if (!isVisible()) {
        show();
    }
    QEventLoop loop;
    const QMetaObject::Connection ok =
        connect(m_ui->IDOK, &QPushButton::clicked, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::DialogExec);
    disconnect(ok);
    m_ui->IDOK->setVisible(false);
    hide();
}

void CWaitDialog::SetProgressText(std::string_view text) {
    SetText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void CWaitDialog::SetProgressRange(int total) {
    m_ui->IDC_WAIT_PROGRESS->setRange(0, total);
    m_ui->IDC_WAIT_PROGRESS->setValue(0);
    m_ui->IDC_WAIT_PROGRESS->setVisible(true);
    if (isVisible()) {
        repaint();
    }
}

void CWaitDialog::SetProgressPosition(int done) {
    m_ui->IDC_WAIT_PROGRESS->setValue(done);
    if (isVisible()) {
        m_ui->IDC_WAIT_PROGRESS->repaint();
    }
}

void CWaitDialog::ProcessOneEvent() {
    // Paints and the owner's pending work; the owner is disabled, so no command comes in.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CWaitDialog::showEvent(QShowEvent* event) {
    EnableOwner(false);
    if (m_owner != nullptr) {
        QWidget* ownerWindow = m_owner->window();
        winId();
        if (ownerWindow->windowHandle() != nullptr) {
            windowHandle()->setTransientParent(ownerWindow->windowHandle());
        }
        if (ownerWindow->isVisible()) {
            move(ownerWindow->geometry().center() - rect().center());
        }
    }
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

void CWaitDialog::hideEvent(QHideEvent* event) {
    EnableOwner(true);
    QDialog::hideEvent(event);
}

void CWaitDialog::closeEvent(QCloseEvent* event) {
    // Closing is hiding: the close box in the finishing mode is the OK button, and the text goes
    // back to its default. QDialog's own handling would route it through reject().
    if (m_ui->IDOK->isVisible()) {
        m_ui->IDOK->click();
    }
    SetText({});
    hide();
    event->accept();
}

void CWaitDialog::reject() {
    // Escape must not hide the window in the middle of work; in the finishing mode it is OK.
    if (m_ui->IDOK->isVisible()) {
        m_ui->IDOK->click();
    }
}

void CWaitDialog::EnableOwner(bool enable) {
    if (m_owner != nullptr) {
        m_owner->setEnabled(enable);
    }
}

}  // namespace fonedesk
