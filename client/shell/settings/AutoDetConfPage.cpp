#include "client/shell/settings/AutoDetConfPage.h"

#include "client/device/Fonerix.h"

namespace fonedesk {

// Placeholder until the page lands: keeps the sheet building.
struct CAutoDetConfPage::Impl {};

CAutoDetConfPage::CAutoDetConfPage(CFonerix& /*device*/, const fonerix::DEVICEINFO& /*info*/,
                                   QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {}

CAutoDetConfPage::~CAutoDetConfPage() = default;

void CAutoDetConfPage::Refresh() {}

}  // namespace fonedesk
