// Placeholder until the wrapper lands: no control is ever created.
#include "client/device/Fonerix.h"

namespace fonedesk {

struct CFonerix::Impl {};

CFonerix::CFonerix(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}
CFonerix::~CFonerix() = default;
bool CFonerix::CreateControl(IDeviceEventHandler*, IHostDialogService*,
                             fonerix::CreateFailure& failure) {
    failure.message = "not built yet";
    return false;
}
bool CFonerix::IsCreated() const {
    return false;
}
void CFonerix::Release() {}
bool CFonerix::LookForDevice(fonerix::DEVICEINFO*) {
    return false;
}
void CFonerix::EnableDeviceEvents() {}
bool CFonerix::WakeupDevice(bool) {
    return false;
}
bool CFonerix::SleepDevice() {
    return false;
}
void CFonerix::SetDeviceTime(fonerix::DATE) {}
fonerix::DATE DateFromDateTime(const QDateTime&) {
    return 0;
}

}  // namespace fonedesk
