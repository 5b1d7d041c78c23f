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
    trace.swap(trace_);
    return trace;
}

void MemoryPort::Token(const std::string& token) {
    if (!trace_.empty()) {
        trace_ += ' ';
    }
    trace_ += token;
}

void MemoryPort::Deliver(uint8_t byte) {
    written_.push_back(byte);
    if (responder_) {
        std::vector<uint8_t> answer;
        responder_(byte, answer);
        input_.insert(input_.end(), answer.begin(), answer.end());
    }
}

bool MemoryPort::Open(uint8_t port, uint32_t baud) {
    open_ = true;
    port_ = port;
    baud_ = baud;
    timeouts_ = kDefaultTimeouts;
    return true;
}

bool MemoryPort::Close() {
    open_ = false;
    return true;
}

uint32_t MemoryPort::BytesWaiting() {
    return open_ ? static_cast<uint32_t>(input_.size()) : 0;
}

bool MemoryPort::Read(uint8_t* buffer, uint32_t count, uint32_t& received) {
    received = 0;
    if (!open_) {
        return false;
    }
    while (received < count && !input_.empty()) {
        buffer[received++] = input_.front();
        Token("<" + Hex(input_.front()));
        input_.pop_front();
    }
    if (received < count) {
        Token("<--");
    }
    return true;
}

bool MemoryPort::Write(const uint8_t* data, uint32_t count, uint32_t& sent) {
    sent = 0;
    if (!open_) {
        return false;
    }
    for (; sent < count; ++sent) {
        Token(">" + Hex(data[sent]));
        Deliver(data[sent]);
    }
    return true;
}

bool MemoryPort::Purge() {
    if (!open_) {
        return false;
    }
    Token("purge");
    input_.clear();
    return true;
}

bool MemoryPort::TransmitChar(uint8_t value) {
    if (!open_) {
        return false;
    }
    Token("!" + Hex(value));
    Deliver(value);
    return true;
}

bool MemoryPort::SetTimeouts(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) {
    if (!open_) {
        return false;
    }
    timeouts_.Update(a, b, c, d, e);
    if (timeouts_ == kHandshakeTimeouts) {
        Token("T:h");
    } else if (timeouts_ == kDefaultTimeouts) {
        Token("T:d");
    } else {
        Token("T:" + std::to_string(timeouts_.readInterval) + "," +
              std::to_string(timeouts_.readMultiplier) + "," +
              std::to_string(timeouts_.readConstant) + "," +
              std::to_string(timeouts_.writeMultiplier) + "," +
              std::to_string(timeouts_.writeConstant));
    }
    return true;
}

void MemoryPort::Pause(std::chrono::milliseconds duration) {
    paused_ += duration;
    Token("pause" + std::to_string(duration.count()));
}

}  // namespace fonerix::test
