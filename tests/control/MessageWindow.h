#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/automation/MessageWindow.h"

namespace fonerix::test {

// The control's window, owned by the test's thread, recording every message it handles.
class MessageWindow final : public INotifyWindow {
  public:
    struct Message {
        uint32_t id;
        uintptr_t wParam;
        bool hasText;
        std::string text;
    };
    using Handler = std::function<void(const Message&)>;

    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    intptr_t SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        return window_.SendMessage(message, wParam, lParam);
    }

    // Handles what arrives within `timeout` on the calling thread; false if nothing came.
    bool Pump(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return window_.WaitAndDispatch(static_cast<int>(timeout.count())) > 0;
    }

    // Messages handled so far, in order. Only the owner's thread touches it.
    std::vector<Message> received;

  private:
    Handler handler_;
    CMessageWindow window_{[this](uint32_t id, uintptr_t wParam, intptr_t lParam) {
        received.push_back({id, wParam, lParam != 0,
                            lParam != 0 ? std::string(reinterpret_cast<const char*>(lParam)) : ""});
        if (handler_) {
            handler_(received.back());
        }
        return intptr_t{0};
    }};
};

}  // namespace fonerix::test
