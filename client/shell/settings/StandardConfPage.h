#pragma once

#include <QWidget>
#include <memory>

#include "client/shell/settings/SettingsPage.h"
#include "control/device/Records.h"

namespace fonedesk {

class CFonerix;

// The page "Стандартные": the set's clock, bell, number length and alarm.
class CStandardConfPage : public QWidget, public ISettingsPage {
    Q_OBJECT
  public:
    CStandardConfPage(CFonerix& device, const fonerix::DEVICEINFO& info, QWidget* parent = nullptr);
    ~CStandardConfPage() override;

    QString Title() const override { return QStringLiteral("Стандартные"); }
    void Refresh() override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
