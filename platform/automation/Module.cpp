#include <atomic>

#include "platform/automation/Unknown.h"

namespace fonerix {

namespace {
// Internal linkage and the component's export list keep this count the module's own, so a
// host and each library it loads count their objects apart.
std::atomic<int> liveObjects{0};
std::atomic<int> serverLocks{0};
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
    return liveObjects.load() == 0 && serverLocks.load() <= 0;
}

}  // namespace fonerix
