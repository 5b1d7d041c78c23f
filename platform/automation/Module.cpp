#include <atomic>
#include <mutex>
#include <vector>

#include "platform/automation/Unknown.h"

namespace fonerix {

namespace {
// Internal linkage and the component's export list keep this count the module's own, so a
// host and each library it loads count their objects apart.
std::atomic<int> liveObjects{0};
std::atomic<int> serverLocks{0};

struct AdoptedThread {
    std::thread thread;
    std::function<bool()> finished;
};

// Threads still to be joined. At process exit one still running is let go, since a joinable
// std::thread must not be destroyed.
struct AdoptedThreads {
    std::mutex mutex;
    std::vector<AdoptedThread> threads;
    ~AdoptedThreads() {
        for (AdoptedThread& t : threads) {
            if (t.finished()) {
                t.thread.join();
            } else {
                t.thread.detach();
            }
        }
    }
};

AdoptedThreads& Adopted() {
    static AdoptedThreads adopted;
    return adopted;
}

// Joins the adopted threads that have finished; true when none is left.
bool ReapAdoptedThreads() {
    AdoptedThreads& a = Adopted();
    std::lock_guard lock(a.mutex);
    std::erase_if(a.threads, [](AdoptedThread& t) {
        if (!t.finished()) {
            return false;
        }
        // Only the thread's last few instructions remain; join waits for them to leave the
        // module's code.
        t.thread.join();
        return true;
    });
    return a.threads.empty();
}
}  // namespace

void ModuleObjectCreated() {
    liveObjects.fetch_add(1);
}
void ModuleObjectDestroyed() {
    liveObjects.fetch_sub(1);
}
void ModuleLock(bool lock) {
    serverLocks.fetch_add(lock ? 1 : -1);
}
bool ModuleCanUnload() {
    const bool threadsGone = ReapAdoptedThreads();
    return threadsGone && liveObjects.load() == 0 && serverLocks.load() <= 0;
}

void ModuleAdoptThread(std::thread thread, std::function<bool()> finished) {
    if (!thread.joinable()) {
        return;
    }
    AdoptedThreads& a = Adopted();
    std::lock_guard lock(a.mutex);
    a.threads.push_back({std::move(thread), std::move(finished)});
}

}  // namespace fonerix
