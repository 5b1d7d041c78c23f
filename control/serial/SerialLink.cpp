#include "control/serial/SerialLink.h"

namespace fonerix {

bool ByteSource::ReadByte(uint8_t& value) {
    uint8_t byte = 0;
    uint32_t received = 0;
    if (!Read(&byte, 1, received) || received < 1) {
        return false;
    }
    value = byte;
    return true;
}

bool SerialLink::SendByte(uint8_t value) {
    uint32_t sent = 0;
    return Write(&value, 1, sent) && sent >= 1;
}

bool SerialLink::SetTimeouts(const CommTimeouts& t) {
    return SetTimeouts(static_cast<int32_t>(t.readInterval), static_cast<int32_t>(t.readMultiplier),
                       static_cast<int32_t>(t.readConstant),
                       static_cast<int32_t>(t.writeMultiplier),
                       static_cast<int32_t>(t.writeConstant));
}

}  // namespace fonerix
