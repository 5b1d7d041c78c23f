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

    explicit MemoryPort(Responder responder = {}) : responder_(std::move(responder)) {}

    void SetResponder(Responder responder) { responder_ = std::move(responder); }
    // Queues bytes as if the set had sent them on its own.
    void Inject(std::initializer_list<uint8_t> bytes) { input_.insert(input_.end(), bytes); }

    // The trace since the last call, and clears it.
    std::string TakeTrace();
    const CommTimeouts& Timeouts() const { return timeouts_; }
    std::chrono::milliseconds PausedFor() const { return paused_; }
    size_t Pending() const { return input_.size(); }
    // Every byte written, in order (TransmitChar included).
    const std::vector<uint8_t>& Written() const { return written_; }

    bool Open(uint8_t port, uint32_t baud) override;
    bool Close() override;
    bool IsOpen() const override { return open_; }
    uint8_t GetPort() const override { return port_; }
    uint32_t GetBaudRate() const override { return baud_; }
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

    Responder responder_;
    std::deque<uint8_t> input_;
    std::vector<uint8_t> written_;
    std::string trace_;
    CommTimeouts timeouts_ = kDefaultTimeouts;
    std::chrono::milliseconds paused_{0};
    bool open_ = true;
    uint8_t port_ = 1;
    uint32_t baud_ = 57600;
};

}  // namespace fonerix::test
