#pragma once

#include <QDialog>
#include <QList>
#include <functional>

#include "control/device/Records.h"

class QPushButton;
class QTabWidget;

namespace fonedesk {

class CFonerix;
class ISettingsPage;

// "Настройка параметров...": the pages of the set's settings and of the program's options.
// Every change is written at once; the OK button, "Обновить", reads the current page again and
// never closes the sheet; Cancel and the close box close it. A page is made, and reads the set,
// when it is first shown. Without a set in use the device pages are disabled.
class CSettingsSheet : public QDialog {
    Q_OBJECT
  public:
    CSettingsSheet(CFonerix& device, const fonerix::DEVICEINFO& info, QWidget* parent = nullptr);
    ~CSettingsSheet() override;

    // The tab texts in order, for the set's family: 1 to 4 without the sound page.
    static QStringList PageTitles(int deviceType);

    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* RefreshButton() const { return m_refresh; }
    // The page of tab `index`, made if it was not yet; null outside the tabs.
    QWidget* Page(int index);

  private:
    struct Entry {
        std::function<QWidget*()> make;
        bool devicePage = true;
        QWidget* page = nullptr;
    };
    void ShowPage(int index);
    void RefreshCurrentPage();

    bool m_deviceInUse;
    QTabWidget* m_tabs = nullptr;
    QPushButton* m_refresh = nullptr;
    QList<Entry> m_entries;
};

}  // namespace fonedesk
