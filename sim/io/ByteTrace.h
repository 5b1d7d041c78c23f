// A log of every byte on the line, both ways, with a monotonic time stamp:
//   <seconds since start> rx|tx <hex byte>[ <what became of it>]
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace fonerix::sim {

class ByteTrace {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit ByteTrace(TimePoint origin) : m_origin(origin) {}

    // Traces into `path` (truncated) from now on. Throws when the file cannot be created.
    void OpenFile(const std::string& path);
    // Switches tracing on or off; on without a file traces to standard error.
    void SetOn(bool on) { m_on = on; }
    bool On() const { return m_on; }

    void Received(TimePoint at, std::uint8_t byte, std::string_view note = {});
    void Sent(TimePoint at, std::span<const std::uint8_t> bytes);

  private:
    void Line(TimePoint at, std::string_view direction, std::uint8_t byte, std::string_view note);

    struct CloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    TimePoint m_origin;
    std::unique_ptr<std::FILE, CloseFile> m_file;
    bool m_on = false;
};

}  // namespace fonerix::sim
