#include "control/serial/WatcherGate.h"

#include <utility>

#include "control/serial/SerialLink.h"

namespace fonerix {

void WatcherGate::Start(bool create) {
    if (holdDepth_ > 0) {
        return;
    }
    line_.NoteWatcherRequest(create ? "start+" : "start");
    LineWatcher* const watcher = line_.Watcher();
    if (watcher == nullptr || !line_.IsOpen()) {
        return;
    }
    bool created = false;
    if (!watcher->WatcherExists()) {
        if (!create || eventsDisabled_) {
            // An exchange ended while nobody listens: what it left in the input is no event.
            line_.Purge();
            return;
        }
        if (!watcher->CreateWatcher()) {
            return;
        }
        created = true;
    }
    if (watcher->WatcherRunning() || eventsDisabled_) {
        return;
    }
    // A new watcher never listened: whatever waits is from before events were wanted.
    if (std::exchange(inputStale_, false) || created) {
        line_.Purge();
    }
    watcher->RunWatcher();
}

void WatcherGate::Stop() {
    line_.NoteWatcherRequest("stop");
    LineWatcher* const watcher = line_.Watcher();
    if (watcher != nullptr && line_.IsOpen() && watcher->WatcherRunning()) {
        watcher->RestWatcher();
    }
}

WatcherGate::Hold::Hold(WatcherGate& gate) : gate_(gate) {
    if (gate_.holdDepth_++ == 0) {
        gate_.inputStale_ = true;
        gate_.Stop();
    }
}

WatcherGate::Hold::~Hold() {
    if (--gate_.holdDepth_ == 0) {
        gate_.Start(false);
    }
}

}  // namespace fonerix
