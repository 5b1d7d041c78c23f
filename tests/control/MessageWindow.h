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

    void SetHandler(Handler handler) { m_handler = std::move(handler); }

    intptr_t SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        return m_window.SendMessage(message, wParam, lParam);
    }

    // Moves on to the next message, handling what arrives within `timeout` on the calling
    // thread if none is left; false if nothing came. Last() is then that message.
    bool Pump(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (m_consumed == received.size()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            m_window.WaitAndDispatch(static_cast<int>(left.count()));
        }
        ++m_consumed;
        return true;
    }
    const Message& Last() const { return received.at(m_consumed - 1); }

    // Messages handled so far, in order. Only the owner's thread touches it.
    std::vector<Message> received;

  private:
    size_t m_consumed = 0;
    Handler m_handler;
    CMessageWindow m_window{[this](uint32_t id, uintptr_t wParam, intptr_t lParam) {
        received.push_back({id, wParam, lParam != 0,
                            lParam != 0 ? std::string(reinterpret_cast<const char*>(lParam)) : ""});
        if (m_handler) {
            m_handler(received.back());
        }
        return intptr_t{0};
    }};
};

}  // namespace fonerix::test
