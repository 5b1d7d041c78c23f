// Samples per second of the 2-bit voice codec, encoding and decoding, next to the most the line
// can ask of it: at 57600 bit/s (ten bit times a byte) a set moves 5760 coded bytes, 23040
// samples, a second. The codec should be so far ahead that it never shows in a transfer.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "control/voice/VoiceCodec.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kLineSamplesPerSecond = 57600.0 / 10 * fonerix::kSamplesPerCodedByte;
constexpr size_t kMessageSamples = 16464 * 64;  // 64 blocks, about 95 s of audio
constexpr int kRounds = 20;

template <typename Work>
double SamplesPerSecond(Work work) {
    const auto start = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        work();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return double(kMessageSamples) * kRounds / seconds;
}

}  // namespace

int main() {
    std::vector<uint8_t> samples(kMessageSamples);
    for (size_t n = 0; n < samples.size(); ++n) {
        samples[n] = static_cast<uint8_t>(128 + 90 * std::sin(2 * M_PI * 440 * double(n) / 11025));
    }
    std::vector<uint8_t> coded(kMessageSamples / 4);
    std::vector<uint8_t> decoded(kMessageSamples);
    unsigned checksum = 0;

    const double encode = SamplesPerSecond([&] {
        fonerix::VoiceEncoder encoder;
        encoder.Encode(samples.data(), samples.size(), coded.data());
        checksum += coded[coded.size() / 2];
    });
    const double decode = SamplesPerSecond([&] {
        fonerix::VoiceDecoder decoder;
        decoder.Decode(coded.data(), coded.size(), decoded.data());
        checksum += decoded[decoded.size() / 2];
    });

    std::printf("voice codec, %zu samples x %d rounds (checksum %u)\n", kMessageSamples, kRounds,
                checksum);
    std::printf("  %-8s %14s %16s\n", "", "samples/s", "x line's 23040/s");
    std::printf("  %-8s %14.0f %16.0f\n", "encode", encode, encode / kLineSamplesPerSecond);
    std::printf("  %-8s %14.0f %16.0f\n", "decode", decode, decode / kLineSamplesPerSecond);
    return 0;
}
