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
    explicit CountingLink(std::unique_ptr<SerialLink> port) : m_port(std::move(port)) {}

    uint64_t BytesSent() const { return m_sent; }
    uint64_t BytesReceived() const { return m_received; }
    std::chrono::microseconds Paused() const { return m_paused; }
    // Pause time during which the set was already sending the answer read right after it: the
    // line was busy anyway, so that part of the pause costs nothing.
    std::chrono::microseconds PausedUnderAnswers() const { return m_hidden; }
    void Reset() {
        m_sent = m_received = 0;
        m_paused = m_hidden = m_lastPause = {};
    }

    bool Open(uint8_t port, uint32_t baud) override { return m_port->Open(port, baud); }
    bool Close() override { return m_port->Close(); }
    bool IsOpen() const override { return m_port->IsOpen(); }
    uint8_t GetPort() const override { return m_port->GetPort(); }
    uint32_t GetBaudRate() const override { return m_port->GetBaudRate(); }
    uint32_t BytesWaiting() override { return m_port->BytesWaiting(); }
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& got) override {
        const bool ok = m_port->Read(buffer, count, got);
        m_received += got;
        const std::chrono::microseconds answer(uint64_t{got} * 10'000'000 / GetBaudRate());
        m_hidden += std::min(m_lastPause, answer);
        m_lastPause = {};
        return ok;
    }
    bool Write(const uint8_t* data, uint32_t count, uint32_t& out) override {
        const bool ok = m_port->Write(data, count, out);
        m_sent += out;
        m_lastPause = {};
        return ok;
    }
    bool Purge() override { return m_port->Purge(); }
    bool TransmitChar(uint8_t value) override {
        const bool ok = m_port->TransmitChar(value);
        m_sent += ok ? 1 : 0;
        return ok;
    }
    bool SetTimeouts(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) override {
        return m_port->SetTimeouts(a, b, c, d, e);
    }
    void ClearLineErrors() override { m_port->ClearLineErrors(); }
    void Pause(std::chrono::milliseconds duration) override {
        m_paused += duration;
        m_lastPause = duration;
        m_port->Pause(duration);
    }
    LineWatcher* Watcher() override { return m_port->Watcher(); }

  private:
    std::unique_ptr<SerialLink> m_port;
    uint64_t m_sent = 0;
    uint64_t m_received = 0;
    std::chrono::microseconds m_paused{0};
    std::chrono::microseconds m_hidden{0};
    std::chrono::microseconds m_lastPause{0};
};

}  // namespace fonerix::bench
