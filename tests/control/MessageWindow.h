#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "control/serial/NotifyWindow.h"

namespace fonerix::test {

// A window owned by the test's thread, as the control's window is owned by its thread: the
// watcher's SendMessage queues the message and blocks until the owner has handled it in Pump.
class MessageWindow final : public INotifyWindow {
  public:
    struct Message {
        uint32_t id;
        uintptr_t wParam;
        bool hasText;
        std::string text;
    };
    using Handler = std::function<void(const Message&)>;

    MessageWindow() = default;
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;
    // A sender may still be on its way out of SendMessage (a port closed while a message was
    // pending lets its watcher go without waiting for it): release it and wait until it left.
    ~MessageWindow() {
        std::unique_lock lock(mutex_);
        closed_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return inside_ == 0; });
    }

    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    intptr_t SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        std::unique_lock lock(mutex_);
        if (closed_) {
            return 0;
        }
        ++inside_;
        Message m{message, wParam, lParam != 0,
                  lParam != 0 ? std::string(reinterpret_cast<const char*>(lParam)) : ""};
        const uint64_t ticket = ++sent_;
        queue_.push_back(std::move(m));
        changed_.notify_all();
        changed_.wait(lock, [&] { return handled_ >= ticket || closed_; });
        --inside_;
        changed_.notify_all();
        return 0;
    }

    // Handles one message on the calling thread; false if none came within `timeout`.
    bool Pump(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [&] { return !queue_.empty(); })) {
            return false;
        }
        Message m = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        received.push_back(m);
        if (handler_) {
            handler_(m);
        }
        lock.lock();
        ++handled_;
        changed_.notify_all();
        return true;
    }

    // Messages handled so far, in order. Only the owner's thread touches it.
    std::vector<Message> received;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Message> queue_;
    uint64_t sent_ = 0;
    uint64_t handled_ = 0;
    int inside_ = 0;
    bool closed_ = false;
    Handler handler_;
};

}  // namespace fonerix::test
