#include "client/shell/AboutDialog.h"

#include <QPushButton>

#include "client/resources/Strings.h"
#include "client/resources/resource.h"
#include "client/shell/SystemTray.h"
#include "ui_AboutDialog.h"

namespace fonedesk {

CAboutDialog::CAboutDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::IDD_ABOUTBOX>()) {
    m_ui->setupUi(this);
    const QIcon icon = CSystemTray::LoadIcon(IDR_MAINFRAME);
    setWindowIcon(icon);
    m_ui->IDC_ABOUT_ICON->setPixmap(icon.pixmap(QSize(64, 64), devicePixelRatioF()));
    m_ui->IDC_ABOUT_VERSION->setText(QString::fromUtf8(texts::kAboutVersion) +
                                     QStringLiteral(FONEDESK_VERSION));
    connect(m_ui->IDOK, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDialog::~CAboutDialog() = default;

}  // namespace fonedesk
