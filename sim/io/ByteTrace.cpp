#include "sim/io/ByteTrace.h"

#include "sim/io/SystemError.h"

namespace fonerix::sim {

void ByteTrace::OpenFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "we");
    if (file == nullptr) {
        ThrowSystemError("cannot create the trace file " + path);
    }
    // Line by line, so that a trace read while the simulator runs, or after it was killed, is
    // complete up to the last byte.
    std::setvbuf(file, nullptr, _IOLBF, 0);
    m_file.reset(file);
}

void ByteTrace::Received(TimePoint at, std::uint8_t byte, std::string_view note) {
    Line(at, "rx", byte, note);
}

void ByteTrace::Sent(TimePoint at, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        Line(at, "tx", byte, {});
    }
}

void ByteTrace::Line(TimePoint at, std::string_view direction, std::uint8_t byte,
                     std::string_view note) {
    if (!m_on) {
        return;
    }
    std::FILE* out = m_file ? m_file.get() : stderr;
    const double seconds = std::chrono::duration<double>(at - m_origin).count();
    std::fprintf(out, "%.6f %.*s %02X%s%.*s\n", seconds, static_cast<int>(direction.size()),
                 direction.data(), byte, note.empty() ? "" : " ", static_cast<int>(note.size()),
                 note.data());
}

}  // namespace fonerix::sim
