// The event-frame reader against arbitrary bytes on the line: it must stay within its 20-digit
// text, keep the text terminated and consistent with the digit count, and never read more than
// the line holds.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "control/serial/EventFrame.h"
#include "control/serial/SerialLink.h"

namespace {

// A line that holds exactly the fuzzer's bytes and then stays silent.
class FixedLine final : public fonerix::ByteSource {
  public:
    FixedLine(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint32_t BytesWaiting() override { return static_cast<uint32_t>(m_size - m_at); }
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& received) override {
        received = 0;
        while (received < count && m_at < m_size) {
            buffer[received++] = m_data[m_at++];
        }
        return true;
    }
    size_t Consumed() const { return m_at; }

  private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FixedLine line(data, size);
    fonerix::DeviceEvent event;
    // Several frames may be waiting; read until the line runs dry or a read fails.
    for (int frames = 0; frames < 64 && fonerix::ReadEvent(line, event); ++frames) {
        Check(event.digitCount <= fonerix::kMaxEventDigits);
        Check(std::strlen(event.text) == event.digitCount);
        Check(event.digitCount == 0 || event.code == fonerix::kIncomingCallCode ||
              event.code == fonerix::kParallelDialCode);
        Check(line.Consumed() <= size);
    }
    return 0;
}
