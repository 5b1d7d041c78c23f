#include "client/shell/settings/ProgramConfPage.h"

#include "client/device/Fonerix.h"

namespace fonedesk {

// Placeholder until the page lands: keeps the sheet building.
struct CProgramConfPage::Impl {};

CProgramConfPage::CProgramConfPage(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {}

CProgramConfPage::~CProgramConfPage() = default;

void CProgramConfPage::Refresh() {}

}  // namespace fonedesk
