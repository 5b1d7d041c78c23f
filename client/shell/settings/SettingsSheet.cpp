#include "client/shell/settings/SettingsSheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "client/device/Fonerix.h"
#include "client/shell/WaitCursor.h"
#include "client/shell/settings/AutoDetConfPage.h"
#include "client/shell/settings/GeneralConfPage.h"
#include "client/shell/settings/ProgramConfPage.h"
#include "client/shell/settings/SoundConfPage.h"
#include "client/shell/settings/SpecialConfPage.h"
#include "client/shell/settings/StandardConfPage.h"

namespace fonedesk {
namespace {

bool IsSecondFamily(int deviceType) {
    return deviceType >= 1 && deviceType <= 4;
}

// The record is the frame's, which outlives every sheet.
template <class Page>
std::function<QWidget*()> DevicePage(CFonerix& device, const fonerix::DEVICEINFO& info) {
    return [&device, &info]() -> QWidget* { return new Page(device, info); };
}

ISettingsPage* AsPage(QWidget* widget) {
    return dynamic_cast<ISettingsPage*>(widget);
}

}  // namespace

CSettingsSheet::CSettingsSheet(CFonerix& device, const fonerix::DEVICEINFO& info, QWidget* parent)
    : QDialog(parent), m_deviceInUse(info.inUse != 0) {
    setObjectName(QStringLiteral("CSettingsSheet"));
    setWindowTitle(QStringLiteral("Настройка параметров..."));
    m_entries.append({DevicePage<CGeneralConfPage>(device, info), true});
    m_entries.append({DevicePage<CStandardConfPage>(device, info), true});
    m_entries.append({DevicePage<CAutoDetConfPage>(device, info), true});
    m_entries.append({DevicePage<CSpecialConfPage>(device, info), true});
    if (!IsSecondFamily(info.devType)) {
        m_entries.append({DevicePage<CSoundConfPage>(device, info), true});
    }
    m_entries.append({[] { return static_cast<QWidget*>(new CProgramConfPage); }, false});

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("settingsTabs"));
    // Every page's tab in sight: the sheet is as wide as its tab row.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideNone);
    const QStringList titles = PageTitles(info.devType);
    for (const QString& title : titles) {
        auto* holder = new QWidget;
        holder->setLayout(new QVBoxLayout);
        holder->layout()->setContentsMargins(0, 0, 0, 0);
        m_tabs->addTab(holder, title);
    }

    auto* buttons = new QDialogButtonBox(this);
    m_refresh = buttons->addButton(QStringLiteral("Обновить"), QDialogButtonBox::ActionRole);
    m_refresh->setObjectName(QStringLiteral("IDOK"));
    m_refresh->setDefault(true);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    cancel->setText(QStringLiteral("Отмена"));
    connect(m_refresh, &QPushButton::clicked, this, &CSettingsSheet::RefreshCurrentPage);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    connect(m_tabs, &QTabWidget::currentChanged, this, &CSettingsSheet::ShowPage);
    ShowPage(0);
}

CSettingsSheet::~CSettingsSheet() = default;

QStringList CSettingsSheet::PageTitles(int deviceType) {
    QStringList titles{QStringLiteral("Общие"), QStringLiteral("Стандартные"),
                       QStringLiteral("АОН"), QStringLiteral("Специальные")};
    if (!IsSecondFamily(deviceType)) {
        titles << QStringLiteral("Работа со звуком");
    }
    titles << QStringLiteral("Программные");
    return titles;
}

QWidget* CSettingsSheet::Page(int index) {
    if (index < 0 || index >= m_entries.size()) {
        return nullptr;
    }
    Entry& entry = m_entries[index];
    if (entry.page == nullptr) {
        CWaitCursor wait;  // a page reads the set as it is made
        entry.page = entry.make();
        entry.page->setEnabled(m_deviceInUse || !entry.devicePage);
        if (ISettingsPage* page = AsPage(entry.page)) {
            page->Refresh();
        }
        m_tabs->widget(index)->layout()->addWidget(entry.page);
    }
    return entry.page;
}

void CSettingsSheet::ShowPage(int index) {
    Page(index);
}

void CSettingsSheet::RefreshCurrentPage() {
    if (ISettingsPage* page = AsPage(Page(m_tabs->currentIndex()))) {
        CWaitCursor wait;
        page->Refresh();
    }
}

}  // namespace fonedesk
