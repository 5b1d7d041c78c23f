#include "client/shell/settings/SpecialConfPage.h"

#include "client/device/Fonerix.h"

namespace fonedesk {

// Placeholder until the page lands: keeps the sheet building.
struct CSpecialConfPage::Impl {};

CSpecialConfPage::CSpecialConfPage(CFonerix& /*device*/, const fonerix::DEVICEINFO& /*info*/,
                                   QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {}

CSpecialConfPage::~CSpecialConfPage() = default;

void CSpecialConfPage::Refresh() {}

}  // namespace fonedesk
