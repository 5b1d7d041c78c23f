#pragma once

#include <chrono>
#include <cstdint>
#include <utility>

#include "control/serial/CommTimeouts.h"

namespace fonerix {

class INotifyWindow;

// What the event-frame reader needs of a port: the count of bytes waiting and bounded reads.
class ByteSource {
  public:
    virtual ~ByteSource() = default;

    // Bytes that can be read without waiting.
    virtual uint32_t BytesWaiting() = 0;
    // Reads up to `count` bytes within the port's time-outs. True when the read completed, even
    // short: callers compare `received` with what they asked for.
    virtual bool Read(uint8_t* buffer, uint32_t count, uint32_t& received) = 0;

    // True only if the read succeeded and one byte arrived; `value` is untouched otherwise.
    bool ReadByte(uint8_t& value);
};

// The device's way to the line. CSerialPort implements it on a terminal; tests implement it in
// memory so that an exchange can be checked byte by byte without a terminal or a clock.
class SerialLink : public ByteSource {
  public:
    virtual bool Open(uint8_t port, uint32_t baud) = 0;
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual uint8_t GetPort() const = 0;
    virtual uint32_t GetBaudRate() const = 0;

    virtual bool Write(const uint8_t* data, uint32_t count, uint32_t& sent) = 0;
    // Throws away everything not yet read or not yet sent.
    virtual bool Purge() = 0;
    // Sends one byte ahead of anything queued.
    virtual bool TransmitChar(uint8_t value) = 0;
    // A negative value leaves that time-out as it is.
    virtual bool SetTimeouts(int32_t readInterval, int32_t readMultiplier, int32_t readConstant,
                             int32_t writeMultiplier, int32_t writeConstant) = 0;
    bool SetTimeouts(const CommTimeouts& t);
    // Clears the line's error and break state.
    virtual void ClearLineErrors() = 0;

    // A protocol pause: the set needs this long before it answers.
    virtual void Pause(std::chrono::milliseconds duration) = 0;

    virtual void SetNotifyWindow(INotifyWindow* window) = 0;
    virtual void StartWatcher(bool create) = 0;
    virtual void StopWatcher() = 0;
    // Set while the host has turned events off (DisableDeviceEvents): StartWatcher then leaves
    // a stopped watcher stopped, so that the end of an exchange does not turn them back on.
    void SetEventsDisabled(bool disabled) {
        eventsDisabled_ = disabled;
        inputStale_ = inputStale_ || disabled;
    }
    bool EventsDisabled() const { return eventsDisabled_; }

    // True only if the write succeeded and the byte left.
    bool SendByte(uint8_t value);

    // Keeps the watcher away from the line for the life of the object. Exchanges nest (a re-wake
    // inside a command, a memory read inside an identity read): only the outermost hold stops
    // the watcher and only its end lets the watcher run again.
    class WatcherHold {
      public:
        explicit WatcherHold(SerialLink& link);
        ~WatcherHold();
        WatcherHold(const WatcherHold&) = delete;
        WatcherHold& operator=(const WatcherHold&) = delete;

      private:
        SerialLink& link_;
    };

  protected:
    // While an exchange holds the line, StartWatcher must not let the watcher run.
    bool HeldByExchange() const { return holdDepth_ > 0; }
    // Whether the input must be discarded before the watcher listens again: true once an
    // exchange has used the line (its leftovers are no frames) or the host turned events off
    // since the watcher last listened. A frame that came while the watcher only stood aside for
    // the handling of the previous event is a real event and must not be thrown away.
    bool TakeInputStale() { return std::exchange(inputStale_, false); }

  private:
    int holdDepth_ = 0;
    bool eventsDisabled_ = false;
    bool inputStale_ = true;
};

}  // namespace fonerix
