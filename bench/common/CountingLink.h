#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>

#include "control/serial/SerialLink.h"

namespace fonerix::bench {

// Passes everything to a real port and counts what crossed the line and how long the protocol
// paused on purpose: together they give the least time an exchange can take.
class CountingLink final : public SerialLink {
  public:
    explicit CountingLink(std::unique_ptr<SerialLink> port) : port_(std::move(port)) {}

    uint64_t BytesSent() const { return sent_; }
    uint64_t BytesReceived() const { return received_; }
    std::chrono::microseconds Paused() const { return paused_; }
    // Pause time during which the set was already sending the answer read right after it: the
    // line was busy anyway, so that part of the pause costs nothing.
    std::chrono::microseconds PausedUnderAnswers() const { return hidden_; }
    void Reset() {
        sent_ = received_ = 0;
        paused_ = hidden_ = lastPause_ = {};
    }

    bool Open(uint8_t port, uint32_t baud) override { return port_->Open(port, baud); }
    bool Close() override { return port_->Close(); }
    bool IsOpen() const override { return port_->IsOpen(); }
    uint8_t GetPort() const override { return port_->GetPort(); }
    uint32_t GetBaudRate() const override { return port_->GetBaudRate(); }
    uint32_t BytesWaiting() override { return port_->BytesWaiting(); }
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& got) override {
        const bool ok = port_->Read(buffer, count, got);
        received_ += got;
        const std::chrono::microseconds answer(uint64_t{got} * 10'000'000 / GetBaudRate());
        hidden_ += std::min(lastPause_, answer);
        lastPause_ = {};
        return ok;
    }
    bool Write(const uint8_t* data, uint32_t count, uint32_t& out) override {
        const bool ok = port_->Write(data, count, out);
        sent_ += out;
        lastPause_ = {};
        return ok;
    }
    bool Purge() override { return port_->Purge(); }
    bool TransmitChar(uint8_t value) override {
        const bool ok = port_->TransmitChar(value);
        sent_ += ok ? 1 : 0;
        return ok;
    }
    bool SetTimeouts(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) override {
        return port_->SetTimeouts(a, b, c, d, e);
    }
    void ClearLineErrors() override { port_->ClearLineErrors(); }
    void Pause(std::chrono::milliseconds duration) override {
        paused_ += duration;
        lastPause_ = duration;
        port_->Pause(duration);
    }
    LineWatcher* Watcher() override { return port_->Watcher(); }

  private:
    std::unique_ptr<SerialLink> port_;
    uint64_t sent_ = 0;
    uint64_t received_ = 0;
    std::chrono::microseconds paused_{0};
    std::chrono::microseconds hidden_{0};
    std::chrono::microseconds lastPause_{0};
};

}  // namespace fonerix::bench
