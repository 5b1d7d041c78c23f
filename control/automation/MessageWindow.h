#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "control/serial/NotifyWindow.h"

namespace fonerix {

// The control's window: a message queue owned by one thread. A message sent from another thread
// waits in the queue, and its sender stays blocked, until the owner has handled it; a message
// sent on the owner's thread is handled at once. The host watches Descriptor() (readable while
// messages wait) and calls DispatchPending on the owner's thread.
class CMessageWindow final : public INotifyWindow {
  public:
    using Handler = std::function<intptr_t(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

    // The constructing thread becomes the owner.
    explicit CMessageWindow(Handler handler);
    // Releases every blocked sender (its SendMessage returns 0) and waits until each has left.
    ~CMessageWindow();
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    intptr_t SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // An eventfd, readable while messages wait.
    int Descriptor() const { return m_eventFd; }
    // Handles every message waiting, on the owner's thread; returns how many.
    int DispatchPending();
    // Waits up to `timeoutMs` (-1: without limit) for a message, then dispatches what waits.
    int WaitAndDispatch(int timeoutMs);

  private:
    struct Pending {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        intptr_t result = 0;
        bool done = false;
    };

    Handler m_handler;
    std::thread::id m_owner;
    int m_eventFd = -1;
    std::mutex m_mutex;
    std::condition_variable m_handled;
    std::deque<Pending*> m_queue;
    int m_senders = 0;
    bool m_closed = false;
};

}  // namespace fonerix
