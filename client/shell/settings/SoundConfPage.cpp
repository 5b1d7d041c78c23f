#include "client/shell/settings/SoundConfPage.h"

#include "client/device/Fonerix.h"

namespace fonedesk {

// Placeholder until the page lands: keeps the sheet building.
struct CSoundConfPage::Impl {};

CSoundConfPage::CSoundConfPage(CFonerix& /*device*/, const fonerix::DEVICEINFO& /*info*/,
                               QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {}

CSoundConfPage::~CSoundConfPage() = default;

void CSoundConfPage::Refresh() {}

}  // namespace fonedesk
