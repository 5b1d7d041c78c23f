#include "control/automation/MessageWindow.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

namespace fonerix {

CMessageWindow::CMessageWindow(Handler handler)
    : m_handler(std::move(handler)),
      m_owner(std::this_thread::get_id()),
      m_eventFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CMessageWindow::~CMessageWindow() {
    {
        std::unique_lock lock(m_mutex);
        m_closed = true;
        for (Pending* p : m_queue) {
            p->done = true;
        }
        m_queue.clear();
        m_handled.notify_all();
        m_handled.wait(lock, [&] { return m_senders == 0; });
    }
    if (m_eventFd >= 0) {
        ::close(m_eventFd);
    }
}

intptr_t CMessageWindow::SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (std::this_thread::get_id() == m_owner) {
        return m_handler ? m_handler(message, wParam, lParam) : 0;
    }
    Pending pending{message, wParam, lParam};
    std::unique_lock lock(m_mutex);
    if (m_closed) {
        return 0;
    }
    ++m_senders;
    m_queue.push_back(&pending);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_eventFd, &one, sizeof one);
    m_handled.wait(lock, [&] { return pending.done; });
    --m_senders;
    m_handled.notify_all();
    return pending.result;
}

int CMessageWindow::DispatchPending() {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_eventFd, &count, sizeof count);
    int dispatched = 0;
    for (;;) {
        Pending* p = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty()) {
                return dispatched;
            }
            p = m_queue.front();
            m_queue.pop_front();
        }
        // The sender is blocked until `done`, so its text behind lParam stays valid meanwhile.
        const intptr_t result = m_handler ? m_handler(p->message, p->wParam, p->lParam) : 0;
        {
            std::lock_guard lock(m_mutex);
            p->result = result;
            p->done = true;
        }
        m_handled.notify_all();
        ++dispatched;
    }
}

int CMessageWindow::WaitAndDispatch(int timeoutMs) {
    pollfd p{m_eventFd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 ? DispatchPending() : 0;
}

}  // namespace fonerix
