#pragma once

#include <QWidget>
#include <memory>

#include "client/shell/settings/SettingsPage.h"
#include "control/device/Records.h"

namespace fonedesk {

class CFonerix;

// The page "Общие": what the set is, where it is attached, and its call statistics; read only.
class CGeneralConfPage : public QWidget, public ISettingsPage {
    Q_OBJECT
  public:
    CGeneralConfPage(CFonerix& device, const fonerix::DEVICEINFO& info, QWidget* parent = nullptr);
    ~CGeneralConfPage() override;

    QString Title() const override { return QStringLiteral("Общие"); }
    void Refresh() override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
