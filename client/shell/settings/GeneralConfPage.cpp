#include "client/shell/settings/GeneralConfPage.h"

#include "client/device/BstrText.h"
#include "client/device/Fonerix.h"
#include "client/device/SettingsFormat.h"
#include "client/shell/WaitCursor.h"
#include "ui_GeneralConfPage.h"

namespace fonedesk {

struct CGeneralConfPage::Impl {
    Impl(CFonerix& set, bool inUse) : device(set), deviceInUse(inUse) {}

    CFonerix& device;
    bool deviceInUse;
    Ui::IDD_GENERAL_CONF_PAGE ui;
};

CGeneralConfPage::CGeneralConfPage(CFonerix& device, const fonerix::DEVICEINFO& info,
                                   QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>(device, info.inUse != 0)) {
    d->ui.setupUi(this);
}

CGeneralConfPage::~CGeneralConfPage() = default;

void CGeneralConfPage::Refresh() {
    if (!d->deviceInUse) {
        return;
    }
    CWaitCursor wait;
    Ui::IDD_GENERAL_CONF_PAGE& ui = d->ui;

    // A fresh record of the page's own: the frame's stays as the start-up search left it.
    fonerix::DEVICEINFO info{};
    d->device.GetDeviceInfo(&info);
    ui.IDC_GENERAL_CAPTION->setText(TextFromBstr(info.Caption));
    fonerix::SysFreeString(info.Caption);
    ui.IDC_GENERAL_IDENTIFIER->setText(QString::number(info.IdZelta));
    ui.IDC_GENERAL_VERSION->setText(VersionText(info.prgVer, info.devVer));
    ui.IDC_GENERAL_PORT->setText(PortText(info.Port));
    ui.IDC_GENERAL_BAUD_RATE->setText(BaudRateText(info.BaudRate));

    fonerix::CALLSTATISTIC statistic{};
    d->device.GetCallsStatistic(&statistic);
    ui.IDC_GENERAL_BILL_MONTH->setText(QString::number(statistic.billMonth & 0xFF));
    ui.IDC_GENERAL_CURRENT_LOCAL->setText(MinutesText(statistic.curLocal));
    ui.IDC_GENERAL_CURRENT_LONG->setText(MinutesText(statistic.curLong));
    ui.IDC_GENERAL_PREVIOUS_LOCAL->setText(MinutesText(statistic.prevLocal));
    ui.IDC_GENERAL_PREVIOUS_LONG->setText(MinutesText(statistic.prevLong));
}

}  // namespace fonedesk
