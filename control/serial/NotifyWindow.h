#pragma once

#include <cstdint>

namespace fonerix {

// Sent by the watcher thread for every event frame the set sends on its own.
// wParam: the 16-bit event code (a key press carries its key code in the high byte and 1 in the
// low byte). lParam: address of the zero-terminated number text when the frame carried digits,
// else 0; the text is valid only until the call returns.
inline constexpr uint32_t kDeviceEventMessage = 0x9FF;

// Receives the watcher's messages. SendMessage is called on the watcher thread and must not
// return before the message has been handled: the watcher leaves the line alone meanwhile, so
// the handler may stop and restart the watcher and run exchanges of its own. A port closed while
// a message is pending does not wait for it, so a window must release a blocked SendMessage
// when it is destroyed, and must not be freed while a call is still inside.
class INotifyWindow {
  public:
    virtual intptr_t SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

  protected:
    ~INotifyWindow() = default;
};

}  // namespace fonerix
