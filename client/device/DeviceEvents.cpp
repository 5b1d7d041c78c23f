#include "client/device/DeviceEvents.h"

#include "control/automation/FonerixInterface.h"

namespace fonedesk {

QString DeviceEventName(int dispid) {
    const fonerix::MemberInfo* event =
        fonerix::FonerixEventsInfo().Find(dispid, fonerix::MemberKind::Method);
    return event != nullptr ? QString::fromLatin1(event->name)
                            : QStringLiteral("event %1").arg(dispid);
}

}  // namespace fonedesk
