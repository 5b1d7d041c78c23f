#include "client/shell/DesktopNotifier.h"

namespace fonedesk {

// Placeholder until the notifier lands: keeps the frame building.
struct CDesktopNotifier::Impl {};

CDesktopNotifier::CDesktopNotifier(QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>()) {}

CDesktopNotifier::~CDesktopNotifier() = default;

bool CDesktopNotifier::Notify(const QString& /*summary*/, const QString& /*body*/) {
    return false;
}

}  // namespace fonedesk
