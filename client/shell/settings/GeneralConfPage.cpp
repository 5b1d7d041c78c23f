#include "client/shell/settings/GeneralConfPage.h"

#include "client/device/Fonerix.h"

namespace fonedesk {

// Placeholder until the page lands: keeps the sheet building.
struct CGeneralConfPage::Impl {};

CGeneralConfPage::CGeneralConfPage(CFonerix& /*device*/, const fonerix::DEVICEINFO& /*info*/,
                                   QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {}

CGeneralConfPage::~CGeneralConfPage() = default;

void CGeneralConfPage::Refresh() {}

}  // namespace fonedesk
