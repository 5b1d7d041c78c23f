#include "client/shell/PhoneBoardView.h"

#include "client/device/Fonerix.h"

namespace fonedesk {

// Placeholder until the keypad lands: keeps the frame building.
struct CPhoneBoardView::Impl {};

CPhoneBoardView::CPhoneBoardView(CFonerix& /*device*/, int /*deviceType*/, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {
    setObjectName(QStringLiteral("CPhoneBoardView"));
}

CPhoneBoardView::~CPhoneBoardView() = default;

int CPhoneBoardView::ScrollWidth() const {
    return 250;
}

void CPhoneBoardView::ShowDeviceBuffer() {}

void CPhoneBoardView::ShowNumber(const QString& /*number*/) {}

QString CPhoneBoardView::DisplayText() const {
    return {};
}

void CPhoneBoardView::MirrorDeviceKey(int /*keyCode*/) {}

}  // namespace fonedesk
