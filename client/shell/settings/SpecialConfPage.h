#pragma once

#include <QWidget>
#include <memory>

#include "client/shell/settings/SettingsPage.h"
#include "control/device/Records.h"

namespace fonedesk {

class CFonerix;

// The page "Специальные": the configuration bits; on first-family sets also the working mode, the
// redirection number and the auto-dial list. The layout follows the family.
class CSpecialConfPage : public QWidget, public ISettingsPage {
    Q_OBJECT
  public:
    CSpecialConfPage(CFonerix& device, const fonerix::DEVICEINFO& info, QWidget* parent = nullptr);
    ~CSpecialConfPage() override;

    QString Title() const override { return QStringLiteral("Специальные"); }
    void Refresh() override;

  protected:
    // The redirection number is written when its field loses the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
