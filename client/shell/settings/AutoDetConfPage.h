#pragma once

#include <QWidget>
#include <memory>

#include "client/shell/settings/SettingsPage.h"
#include "control/device/Records.h"

namespace fonedesk {

class CFonerix;

// The page "АОН": the caller-ID query parameters of the line input and of the parallel telephone,
// and the ring and line thresholds.
class CAutoDetConfPage : public QWidget, public ISettingsPage {
    Q_OBJECT
  public:
    CAutoDetConfPage(CFonerix& device, const fonerix::DEVICEINFO& info, QWidget* parent = nullptr);
    ~CAutoDetConfPage() override;

    QString Title() const override { return QStringLiteral("АОН"); }
    void Refresh() override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
