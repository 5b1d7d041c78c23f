#include "control/automation/DeviceEventMap.h"

namespace fonerix {

namespace {

constexpr uint8_t kKeyCodeMarker = 0x01;

}  // namespace

std::optional<MappedEvent> MapDeviceEvent(uint16_t code) {
    using Args = MappedEvent::Args;
    const auto plain = [](FonerixEventDispid dispid) { return MappedEvent{dispid, Args::None, 0}; };
    switch (code & 0xFF) {
        case kKeyCodeMarker:
            return MappedEvent{kEventPhoneKeyPress, Args::Key, code >> 8};
        case 0xB4:
            return plain(kEventFinishTalking);
        case 0xB5:
            return plain(kEventSuccessLinking);
        case 0xB6:
            return plain(kEventFailedLinking);
        case 0xB8:
            return plain(kEventTubeUp);
        case 0xB9:
            return plain(kEventTubeDown);
        case 0xBA:
            return plain(kEventParallTubeUp);
        case 0xBB:
            return plain(kEventBusyLinking);
        case 0xC1:
            return MappedEvent{kEventComingCall, Args::Number, 0};
        case 0xC2:
            return MappedEvent{kEventParallDialing, Args::Number, 0};
        default:
            return std::nullopt;
    }
}

}  // namespace fonerix
