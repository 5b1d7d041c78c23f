#pragma once

#include <chrono>
#include <cstdint>

#include "control/serial/CommTimeouts.h"

namespace fonerix {

class LineWatcher;

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

// The device's way to the line: a byte stream with time-outs. CSerialPort implements it on a
// terminal; tests implement it in memory so that an exchange can be checked byte by byte without
// a terminal or a clock. When the line's watcher runs is the WatcherGate's business.
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

    // The thread that turns the set's own frames into notifications; null for a line without
    // one.
    virtual LineWatcher* Watcher() { return nullptr; }
    // The gate names each start it lets through ("start", "start+" with create) and each stop
    // ("stop") before acting on it, for a line that keeps a trace of what happens on it.
    virtual void NoteWatcherRequest(const char* /*request*/) {}

    // True only if the write succeeded and the byte left.
    bool SendByte(uint8_t value);
};

}  // namespace fonerix
