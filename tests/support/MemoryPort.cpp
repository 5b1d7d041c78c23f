#include "tests/support/MemoryPort.h"

#include <cstdio>

namespace fonerix::test {

namespace {
std::string Hex(uint8_t b) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}
}  // namespace

std::string MemoryPort::TakeTrace() {
    std::string trace;
    trace.swap(m_trace);
    return trace;
}

void MemoryPort::Token(const std::string& token) {
    if (!m_trace.empty()) {
        m_trace += ' ';
    }
    m_trace += token;
}

void MemoryPort::Deliver(uint8_t byte) {
    m_written.push_back(byte);
    if (m_responder) {
        std::vector<uint8_t> answer;
        m_responder(byte, answer);
        m_input.insert(m_input.end(), answer.begin(), answer.end());
    }
}

bool MemoryPort::Open(uint8_t port, uint32_t baud) {
    m_open = true;
    m_port = port;
    m_baud = baud;
    m_timeouts = kDefaultTimeouts;
    return true;
}

bool MemoryPort::Close() {
    m_open = false;
    return true;
}

uint32_t MemoryPort::BytesWaiting() {
    return m_open ? static_cast<uint32_t>(m_input.size()) : 0;
}

bool MemoryPort::Read(uint8_t* buffer, uint32_t count, uint32_t& received) {
    received = 0;
    if (!m_open) {
        return false;
    }
    while (received < count && !m_input.empty()) {
        buffer[received++] = m_input.front();
        Token("<" + Hex(m_input.front()));
        m_input.pop_front();
    }
    if (received < count) {
        Token("<--");
    }
    return true;
}

bool MemoryPort::Write(const uint8_t* data, uint32_t count, uint32_t& sent) {
    sent = 0;
    if (!m_open) {
        return false;
    }
    for (; sent < count; ++sent) {
        Token(">" + Hex(data[sent]));
        Deliver(data[sent]);
    }
    return true;
}

bool MemoryPort::Purge() {
    if (!m_open) {
        return false;
    }
    Token("purge");
    m_input.clear();
    return true;
}

bool MemoryPort::TransmitChar(uint8_t value) {
    if (!m_open) {
        return false;
    }
    Token("!" + Hex(value));
    Deliver(value);
    return true;
}

bool MemoryPort::SetTimeouts(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) {
    if (!m_open) {
        return false;
    }
    m_timeouts.Update(a, b, c, d, e);
    if (m_timeouts == kHandshakeTimeouts) {
        Token("T:h");
    } else if (m_timeouts == kDefaultTimeouts) {
        Token("T:d");
    } else {
        Token("T:" + std::to_string(m_timeouts.readInterval) + "," +
              std::to_string(m_timeouts.readMultiplier) + "," +
              std::to_string(m_timeouts.readConstant) + "," +
              std::to_string(m_timeouts.writeMultiplier) + "," +
              std::to_string(m_timeouts.writeConstant));
    }
    return true;
}

void MemoryPort::Pause(std::chrono::milliseconds duration) {
    m_paused += duration;
    Token("pause" + std::to_string(duration.count()));
}

}  // namespace fonerix::test
