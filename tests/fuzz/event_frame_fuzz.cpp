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
    FixedLine(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t BytesWaiting() override { return static_cast<uint32_t>(size_ - at_); }
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& received) override {
        received = 0;
        while (received < count && at_ < size_) {
            buffer[received++] = data_[at_++];
        }
        return true;
    }
    size_t Consumed() const { return at_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
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
