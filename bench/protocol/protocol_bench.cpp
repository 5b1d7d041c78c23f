// How close the host's exchanges come to what the line itself allows. A simulated set paces every
// byte at 57600 bit/s (ten bit times a byte, both ways); the least time an exchange can take is
// the wire time of every byte it moved plus the pauses the protocol itself prescribes. The ratio
// of the measured time to that limit is what the host adds.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/CountingLink.h"
#include "control/device/ZeltaDevice.h"
#include "control/serial/SerialPort.h"
#include "tests/support/SimProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
using fonerix::CZeltaDevice;
using fonerix::FlashAddress;
using fonerix::bench::CountingLink;

constexpr uint32_t kBaud = 57600;
constexpr int kPagesPerBlock = 16;  // a type-5 set
constexpr uint8_t kPageRead = 255;  // the most one flash transfer carries
constexpr uint8_t kMemoryRead = 255;

struct Figures {
    double seconds;
    double limitSeconds;  // every byte's wire time plus every pause
    double tightSeconds;  // the same, less pause time the set spent sending the answer
    uint64_t bytes;
};

template <typename Work>
Figures Measure(CountingLink& link, Work work) {
    link.Reset();
    const auto start = Clock::now();
    if (!work()) {
        std::fprintf(stderr, "protocol_bench: an exchange failed\n");
        std::exit(1);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const uint64_t bytes = link.BytesSent() + link.BytesReceived();
    const double wire = static_cast<double>(bytes) * 10.0 / kBaud;
    const double pauses = std::chrono::duration<double>(link.Paused()).count();
    const double hidden = std::chrono::duration<double>(link.PausedUnderAnswers()).count();
    return {seconds, wire + pauses, wire + pauses - hidden, bytes};
}

void Print(const char* what, const Figures& f) {
    std::printf("  %-36s %7.3f s  %7.3f s %6.3f   %7.3f s %6.3f   %6llu\n", what, f.seconds,
                f.limitSeconds, f.seconds / f.limitSeconds, f.tightSeconds,
                f.seconds / f.tightSeconds, static_cast<unsigned long long>(f.bytes));
}

}  // namespace

int main() {
    fonerix::test::SimProcess sim({.type = 5, .pace = true});
    setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
    auto counting = std::make_unique<CountingLink>(std::make_unique<fonerix::CSerialPort>());
    CountingLink& link = *counting;
    CZeltaDevice device(std::move(counting));
    if (!device.Port().Open(1, kBaud) || !device.WakeupDevice(false)) {
        std::fprintf(stderr, "protocol_bench: the simulated set does not answer on %s\n",
                     sim.LinkPath().c_str());
        return 1;
    }

    std::printf("Host exchanges against a set paced at %u bit/s (10 bits a byte)\n", kBaud);
    std::printf("  %-36s %9s  %9s %6s   %9s %6s   %6s\n", "", "measured", "line+pause", "ratio",
                "overlap", "ratio", "bytes");

    std::vector<uint8_t> page(kPageRead);
    const Figures flash = Measure(link, [&] {
        for (uint16_t block = 20; block < 22; ++block) {
            for (uint8_t p = 0; p < kPagesPerBlock; ++p) {
                if (!device.ReadFlash(FlashAddress::At(block, p, 0, kPageRead), page.data())) {
                    return false;
                }
            }
        }
        return true;
    });
    Print("ReadFlash, 2 blocks page by page", flash);

    std::vector<uint8_t> memory(8192);
    const Figures mem = Measure(link, [&] {
        for (uint32_t at = 0; at < memory.size(); at += kMemoryRead) {
            const auto count = static_cast<uint8_t>(std::min<uint32_t>(kMemoryRead, 8192 - at));
            if (!device.ReadMemory(static_cast<uint16_t>(at), count, memory.data() + at)) {
                return false;
            }
        }
        return true;
    });
    Print("ReadMemory, 8 KiB in 255-byte reads", mem);

    const Figures total{flash.seconds + mem.seconds, flash.limitSeconds + mem.limitSeconds,
                        flash.tightSeconds + mem.tightSeconds, flash.bytes + mem.bytes};
    Print("together", total);
    std::printf(
        "line+pause: wire time of every byte plus every protocol pause. overlap: the same, less\n"
        "the part of a pause during which the set was already sending its answer (the tighter\n"
        "limit). Goal: ratio at most 1.10.\n");
    return 0;
}
