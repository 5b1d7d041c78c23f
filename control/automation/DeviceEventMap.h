#pragma once

#include <cstdint>
#include <optional>

#include "control/automation/FonerixInterface.h"

namespace fonerix {

// What one notification of the watcher becomes on _DFonerixEvents.
struct MappedEvent {
    enum class Args : uint8_t { None, Number, Key };
    FonerixEventDispid dispid;
    Args args;
    int32_t keyCode;  // for Args::Key: the key byte
};

// The event for a 16-bit event code, or none for a code without one. A key arrives as its byte
// in the high half and 1 in the low one; everything else is the frame's event byte.
std::optional<MappedEvent> MapDeviceEvent(uint16_t code);

}  // namespace fonerix
