#pragma once

#include <cstdint>

namespace fonerix {

class ByteSource;

// Every unsolicited message of the set starts with this byte.
inline constexpr uint8_t kFrameStart = 0xFF;
// Frame codes that carry a number: a length byte and that many digit codes follow.
inline constexpr uint8_t kIncomingCallCode = 0xC1;
inline constexpr uint8_t kParallelDialCode = 0xC2;
// The reader keeps at most this many digits of a number frame.
inline constexpr uint32_t kMaxEventDigits = 20;

// Key presses arrive as their key code; the event code carries it in the high byte.
constexpr bool IsKeyCode(uint8_t code) {
    return (code >= 1 && code <= 35) || code == 64;
}

struct DeviceEvent {
    uint16_t code = 0;
    // Zero-terminated number text (kIncomingCallCode, kParallelDialCode), else empty.
    char text[kMaxEventDigits + 1] = {};
    // Digits in `text`.
    uint32_t digitCount = 0;
};

// Reads one event frame from what is waiting on the line: skips bytes up to the frame start,
// then reads the code and, for a number frame, its digits. A length above kMaxEventDigits keeps
// the first digits and reads the rest only to drop them. False when nothing was waiting or the
// frame's bytes stopped arriving.
bool ReadEvent(ByteSource& source, DeviceEvent& event);

}  // namespace fonerix
