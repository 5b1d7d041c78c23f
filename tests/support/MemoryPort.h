#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "control/serial/SerialLink.h"

namespace fonerix::test {

// A line in memory. Every byte the host writes goes to a responder that plays the set and may
// queue an answer; reads take from that queue and complete short at once when it runs dry (as
// a driver's time-out would, without the waiting). Everything that happens is written to a
// trace, one token each, separated by spaces:
//   >82   byte written          !40   byte sent ahead of the queue
//   <82   byte read             <--   a read that ended short
//   purge                       pause17    a protocol pause of 17 ms
//   T:h / T:d / T:a,b,c,d,e     handshake, default or other time-outs applied
//   stop / start / start+       the gate stopped the watcher, started it, started with create
class MemoryPort final : public SerialLink {
  public:
    using Responder = std::function<void(uint8_t byte, std::vector<uint8_t>& answer)>;

    explicit MemoryPort(Responder responder = {}) : m_responder(std::move(responder)) {}

    void SetResponder(Responder responder) { m_responder = std::move(responder); }
    // Queues bytes as if the set had sent them on its own.
    void Inject(std::initializer_list<uint8_t> bytes) { m_input.insert(m_input.end(), bytes); }

    // The trace since the last call, and clears it.
    std::string TakeTrace();
    const CommTimeouts& Timeouts() const { return m_timeouts; }
    std::chrono::milliseconds PausedFor() const { return m_paused; }
    size_t Pending() const { return m_input.size(); }
    // Every byte written, in order (TransmitChar included).
    const std::vector<uint8_t>& Written() const { return m_written; }

    bool Open(uint8_t port, uint32_t baud) override;
    bool Close() override;
    bool IsOpen() const override { return m_open; }
    uint8_t GetPort() const override { return m_port; }
    uint32_t GetBaudRate() const override { return m_baud; }
    uint32_t BytesWaiting() override;
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& received) override;
    bool Write(const uint8_t* data, uint32_t count, uint32_t& sent) override;
    bool Purge() override;
    bool TransmitChar(uint8_t value) override;
    bool SetTimeouts(int32_t readInterval, int32_t readMultiplier, int32_t readConstant,
                     int32_t writeMultiplier, int32_t writeConstant) override;
    using SerialLink::SetTimeouts;
    void ClearLineErrors() override {}
    void Pause(std::chrono::milliseconds duration) override;
    // No watcher: the gate's requests only go into the trace.
    void NoteWatcherRequest(const char* request) override { Token(request); }

  private:
    void Token(const std::string& token);
    void Deliver(uint8_t byte);

    Responder m_responder;
    std::deque<uint8_t> m_input;
    std::vector<uint8_t> m_written;
    std::string m_trace;
    CommTimeouts m_timeouts = kDefaultTimeouts;
    std::chrono::milliseconds m_paused{0};
    bool m_open = true;
    uint8_t m_port = 1;
    uint32_t m_baud = 57600;
};

}  // namespace fonerix::test
