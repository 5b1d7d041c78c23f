#include "client/shell/settings/StandardConfPage.h"

#include "client/device/Fonerix.h"

namespace fonedesk {

// Placeholder until the page lands: keeps the sheet building.
struct CStandardConfPage::Impl {};

CStandardConfPage::CStandardConfPage(CFonerix& /*device*/, const fonerix::DEVICEINFO& /*info*/,
                                     QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {}

CStandardConfPage::~CStandardConfPage() = default;

void CStandardConfPage::Refresh() {}

}  // namespace fonedesk
