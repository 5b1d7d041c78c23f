#include "control/serial/WatcherGate.h"

#include <utility>

#include "control/serial/SerialLink.h"

namespace fonerix {

void WatcherGate::Start(bool create) {
    if (m_holdDepth > 0) {
        return;
    }
    m_line.NoteWatcherRequest(create ? "start+" : "start");
    LineWatcher* const watcher = m_line.Watcher();
    if (watcher == nullptr || !m_line.IsOpen()) {
        return;
    }
    bool created = false;
    if (!watcher->WatcherExists()) {
        if (!create || m_eventsDisabled) {
            // An exchange ended while nobody listens: what it left in the input is no event.
            m_line.Purge();
            return;
        }
        if (!watcher->CreateWatcher()) {
            return;
        }
        created = true;
    }
    if (watcher->WatcherRunning() || m_eventsDisabled) {
        return;
    }
    // A new watcher never listened: whatever waits is from before events were wanted.
    if (std::exchange(m_inputStale, false) || created) {
        m_line.Purge();
    }
    watcher->RunWatcher();
}

void WatcherGate::Stop() {
    m_line.NoteWatcherRequest("stop");
    LineWatcher* const watcher = m_line.Watcher();
    if (watcher != nullptr && m_line.IsOpen() && watcher->WatcherRunning()) {
        watcher->RestWatcher();
    }
}

WatcherGate::Hold::Hold(WatcherGate& gate) : m_gate(gate) {
    if (m_gate.m_holdDepth++ == 0) {
        m_gate.m_inputStale = true;
        m_gate.Stop();
    }
}

WatcherGate::Hold::~Hold() {
    if (--m_gate.m_holdDepth == 0) {
        m_gate.Start(false);
    }
}

}  // namespace fonerix
