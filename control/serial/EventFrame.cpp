#include "control/serial/EventFrame.h"

#include "control/device/DigitCodes.h"
#include "control/serial/SerialLink.h"

namespace fonerix {

bool ReadEvent(ByteSource& source, DeviceEvent& event) {
    event.digitCount = 0;
    event.text[0] = '\0';

    const uint32_t waiting = source.BytesWaiting();
    if (waiting == 0) {
        return false;
    }
    // Skip to the frame start. If it is not among the bytes that were waiting, the byte after
    // them is taken as the code all the same.
    uint8_t byte = 0;
    for (uint32_t n = 0; n < waiting && byte != kFrameStart; ++n) {
        if (!source.ReadByte(byte)) {
            return false;
        }
    }
    uint8_t code = 0;
    if (!source.ReadByte(code)) {
        return false;
    }
    if (IsKeyCode(code)) {
        event.code = static_cast<uint16_t>(code * 256 + 1);
        return true;
    }
    event.code = code;
    if (code != kIncomingCallCode && code != kParallelDialCode) {
        return true;
    }

    uint8_t length = 0;
    source.ReadByte(length);  // a missing length means no digits
    uint8_t digits[255];
    uint32_t received = 0;
    if (length > 0) {
        source.Read(digits, length, received);
    }
    const uint32_t kept = received < kMaxEventDigits ? received : kMaxEventDigits;
    for (uint32_t i = 0; i < kept; ++i) {
        event.text[i] = DigitToChar(digits[i]);
    }
    event.text[kept] = '\0';
    event.digitCount = kept;
    return true;
}

}  // namespace fonerix
