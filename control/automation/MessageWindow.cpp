#include "control/automation/MessageWindow.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

namespace fonerix {

CMessageWindow::CMessageWindow(Handler handler)
    : handler_(std::move(handler)),
      owner_(std::this_thread::get_id()),
      eventFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CMessageWindow::~CMessageWindow() {
    {
        std::unique_lock lock(mutex_);
        closed_ = true;
        for (Pending* p : queue_) {
            p->done = true;
        }
        queue_.clear();
        handled_.notify_all();
        handled_.wait(lock, [&] { return senders_ == 0; });
    }
    if (eventFd_ >= 0) {
        ::close(eventFd_);
    }
}

intptr_t CMessageWindow::SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (std::this_thread::get_id() == owner_) {
        return handler_ ? handler_(message, wParam, lParam) : 0;
    }
    Pending pending{message, wParam, lParam};
    std::unique_lock lock(mutex_);
    if (closed_) {
        return 0;
    }
    ++senders_;
    queue_.push_back(&pending);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(eventFd_, &one, sizeof one);
    handled_.wait(lock, [&] { return pending.done; });
    --senders_;
    handled_.notify_all();
    return pending.result;
}

int CMessageWindow::DispatchPending() {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(eventFd_, &count, sizeof count);
    int dispatched = 0;
    for (;;) {
        Pending* p = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                return dispatched;
            }
            p = queue_.front();
            queue_.pop_front();
        }
        // The sender is blocked until `done`, so its text behind lParam stays valid meanwhile.
        const intptr_t result = handler_ ? handler_(p->message, p->wParam, p->lParam) : 0;
        {
            std::lock_guard lock(mutex_);
            p->result = result;
            p->done = true;
        }
        handled_.notify_all();
        ++dispatched;
    }
}

int CMessageWindow::WaitAndDispatch(int timeoutMs) {
    pollfd p{eventFd_, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 ? DispatchPending() : 0;
}

}  // namespace fonerix
