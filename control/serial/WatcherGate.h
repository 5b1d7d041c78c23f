#pragma once

namespace fonerix {

class INotifyWindow;
class SerialLink;

// A line's watcher as the gate drives it: a thread of the line's own that waits for the set's
// frames and hands each to the notify window. The gate alone decides when it runs.
class LineWatcher {
  public:
    virtual void SetNotifyWindow(INotifyWindow* window) = 0;
    // Whether the thread exists (it is made once, on the first start that asks for it).
    virtual bool WatcherExists() const = 0;
    // Makes the thread, resting; false if it cannot be made.
    virtual bool CreateWatcher() = 0;
    // Whether the watcher is on the line.
    virtual bool WatcherRunning() const = 0;
    // Puts a resting watcher on the line.
    virtual void RunWatcher() = 0;
    // Takes the watcher off the line; returns once it leaves the line alone.
    virtual void RestWatcher() = 0;

  protected:
    ~LineWatcher() = default;
};

// When the watcher runs. It runs while the host wants events and no exchange holds the line;
// exchanges nest (a re-wake inside a command, a memory read inside an identity read), so only
// the outermost hold stops it and only the end of that hold lets it run again. A line without a
// watcher (one in memory) is only told what the gate was asked.
class WatcherGate {
  public:
    explicit WatcherGate(SerialLink& line) : m_line(line) {}
    WatcherGate(const WatcherGate&) = delete;
    WatcherGate& operator=(const WatcherGate&) = delete;

    // Lets the watcher run, making it first if `create`. Nothing happens while an exchange holds
    // the line; while events are off the watcher stays off it, so that the end of an exchange
    // does not turn them back on.
    void Start(bool create);
    // Takes the watcher off the line until the next start.
    void Stop();
    // Set while the host has turned events off (DisableDeviceEvents).
    void SetEventsDisabled(bool disabled) {
        m_eventsDisabled = disabled;
        m_inputStale = m_inputStale || disabled;
    }
    bool EventsDisabled() const { return m_eventsDisabled; }

    // Keeps the watcher away from the line for the life of the object.
    class Hold {
      public:
        explicit Hold(WatcherGate& gate);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        WatcherGate& m_gate;
    };

  private:
    SerialLink& m_line;
    int m_holdDepth = 0;
    bool m_eventsDisabled = false;
    // Whether the input must be discarded before the watcher listens again: true once an
    // exchange has used the line (its leftovers are no frames) or the host turned events off
    // since the watcher last listened. A frame that came while the watcher only stood aside for
    // the handling of the previous event is a real event and must not be thrown away.
    bool m_inputStale = true;
};

}  // namespace fonerix
