// The 2-bit adaptive voice code: known decodings worked out by hand, the packing of four codes
// per byte, a round trip against a reference encoder on a known waveform, the per-message state
// and working in place.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "control/voice/VoiceCodec.h"

namespace fonerix::test {
namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& coded) {
    std::vector<uint8_t> samples(coded.size() * 4);
    VoiceDecoder decoder;
    decoder.Decode(coded.data(), coded.size(), samples.data());
    return samples;
}

// The encoder written out step by step as the set's code defines it, with the accumulator's top
// bits and the right shift, independent of the library's packing. Also returns the value the
// set tracks after each sample, which is what decoding must give back.
struct Reference {
    std::vector<uint8_t> coded;
    std::vector<uint8_t> tracked;
};

Reference ReferenceEncode(const std::vector<uint8_t>& samples) {
    static const int table[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 22};
    Reference out;
    int i = 0;
    int v = 255;
    unsigned accumulator = 0;
    for (size_t n = 0; n < samples.size(); ++n) {
        const int s = table[i];
        const int target = 255 - std::clamp<int>(samples[n], 10, 245);
        const int e = target - v;
        accumulator &= 0x3F;
        int d = s / 2;
        if (s < std::abs(e)) {
            accumulator |= 0x40;
            d += s;
            i += 2;
        } else {
            i -= 1;
        }
        if (e < 0) {
            accumulator |= 0x80;
            d = -d;
        }
        v = std::clamp(v + d, 0, 255);
        i = std::clamp(i, 0, 15);
        out.tracked.push_back(static_cast<uint8_t>(v));
        if (n % 4 == 3) {
            out.coded.push_back(static_cast<uint8_t>(accumulator));
            accumulator = 0;
        } else {
            accumulator >>= 2;
        }
    }
    return out;
}

// 440 Hz at 11025 samples/s around the middle, with the given amplitude.
std::vector<uint8_t> Tone(size_t count, double amplitude) {
    std::vector<uint8_t> samples(count);
    for (size_t n = 0; n < count; ++n) {
        const double x = 128 + amplitude * std::sin(2 * M_PI * 440 * double(n) / 11025);
        samples[n] = static_cast<uint8_t>(std::lround(std::clamp(x, 0.0, 255.0)));
    }
    return samples;
}

TEST(VoiceCodec, DecodesKnownBytes) {
    struct Case {
        const char* what;
        std::vector<uint8_t> coded;
        std::vector<uint8_t> samples;
    };
    const Case cases[] = {
        // Large steps down from 255 while the step index climbs 0, 2, 4, 6, 8; then small steps
        // down while it falls back.
        {"large then small down", {0xFF, 0xAA}, {254, 250, 243, 233, 229, 225, 222, 219}},
        // Small steps up at full scale: the value stays clamped at 255 and the index at 0.
        {"clamped at the top", {0x00}, {255, 255, 255, 255}},
        // The first code sits in bits 1..0: one large step down, then back up.
        {"first code in the low bits", {0x03}, {254, 255, 255, 255}},
        {"last code in the high bits", {0xC0}, {255, 255, 255, 254}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decode(c.coded), c.samples) << c.what;
    }
}

TEST(VoiceCodec, LargeStepsDownStopAtZero) {
    const std::vector<uint8_t> samples = Decode(std::vector<uint8_t>(16, 0xFF));
    EXPECT_EQ(samples.back(), 0);
    EXPECT_TRUE(std::is_sorted(samples.rbegin(), samples.rend()));
}

TEST(VoiceCodec, MatchesTheReferenceEncoderAndDecodesToWhatTheSetTracks) {
    // One block's worth of a tone (984 + 15 * 1032 samples), loud and quiet.
    for (double amplitude : {100.0, 20.0}) {
        const std::vector<uint8_t> tone = Tone(16464, amplitude);
        const Reference reference = ReferenceEncode(tone);

        std::vector<uint8_t> coded(tone.size() / 4);
        VoiceEncoder encoder;
        ASSERT_EQ(encoder.Encode(tone.data(), tone.size(), coded.data()), coded.size());
        EXPECT_EQ(coded, reference.coded) << amplitude;

        const std::vector<uint8_t> decoded = Decode(coded);
        ASSERT_EQ(decoded, reference.tracked) << amplitude;

        // What comes back is the inverted waveform, re-quantised: after the first samples,
        // which walk down from full scale, it stays within one large step of 255 - x.
        int worst = 0;
        long total = 0;
        for (size_t n = 32; n < tone.size(); ++n) {
            const int error = std::abs(int(decoded[n]) - (255 - tone[n]));
            worst = std::max(worst, error);
            total += error;
        }
        EXPECT_LE(worst, 33) << amplitude;
        EXPECT_LT(double(total) / double(tone.size() - 32), 6.0) << amplitude;
    }
}

TEST(VoiceCodec, InputIsLimitedTo10Through245) {
    const std::vector<uint8_t> extremes = {0, 0, 255, 255, 3, 250, 0, 255};
    const std::vector<uint8_t> limited = {10, 10, 245, 245, 10, 245, 10, 245};
    uint8_t a[2];
    uint8_t b[2];
    VoiceEncoder().Encode(extremes.data(), extremes.size(), a);
    VoiceEncoder().Encode(limited.data(), limited.size(), b);
    EXPECT_EQ(std::vector<uint8_t>(a, a + 2), std::vector<uint8_t>(b, b + 2));
}

TEST(VoiceCodec, PiecesOfAnySizeGiveTheSameBytes) {
    // A page boundary can fall inside a byte's four samples; the partial byte carries over.
    const std::vector<uint8_t> tone = Tone(1032, 90);
    std::vector<uint8_t> whole(tone.size() / 4);
    VoiceEncoder().Encode(tone.data(), tone.size(), whole.data());

    for (size_t piece : {1u, 3u, 5u, 7u, 129u}) {
        std::vector<uint8_t> pieces(whole.size());
        VoiceEncoder encoder;
        size_t written = 0;
        for (size_t at = 0; at < tone.size(); at += piece) {
            const size_t n = std::min(piece, tone.size() - at);
            written += encoder.Encode(tone.data() + at, n, pieces.data() + written);
        }
        EXPECT_EQ(written, whole.size()) << piece;
        EXPECT_EQ(pieces, whole) << piece;
    }
}

TEST(VoiceCodec, FinishCompletesAPartialByteWithSilence) {
    const std::vector<uint8_t> tone = Tone(5, 60);
    std::vector<uint8_t> padded = tone;
    padded.insert(padded.end(), 3, 128);

    VoiceEncoder encoder;
    uint8_t coded[2] = {};
    ASSERT_EQ(encoder.Encode(tone.data(), tone.size(), coded), 1u);
    EXPECT_EQ(encoder.Pending(), 1u);
    ASSERT_EQ(encoder.Finish(coded + 1), 1u);
    EXPECT_EQ(encoder.Pending(), 0u);
    EXPECT_EQ(encoder.Finish(coded + 1), 0u);  // nothing left to complete

    EXPECT_EQ(std::vector<uint8_t>(coded, coded + 2), ReferenceEncode(padded).coded);
}

TEST(VoiceCodec, EveryTransferStartsFromAFreshState) {
    const VoiceCodecState fresh;
    EXPECT_EQ(fresh.stepIndex, 0);
    EXPECT_EQ(fresh.lastValue, 255);

    // Two messages encoded one after the other, each with its own encoder, decode each with its
    // own decoder. Had the second encoder carried the first one's state, its bytes would differ
    // and a fresh decoder would drift from what the encoder tracked.
    const std::vector<uint8_t> first = Tone(400, 100);
    const std::vector<uint8_t> second = Tone(400, 30);
    std::vector<uint8_t> carried(100);
    std::vector<uint8_t> own(100);
    VoiceEncoder reused;
    reused.Encode(first.data(), first.size(), carried.data());
    reused.Encode(second.data(), second.size(), carried.data());
    VoiceEncoder().Encode(second.data(), second.size(), own.data());

    EXPECT_EQ(own, ReferenceEncode(second).coded);
    EXPECT_EQ(Decode(own), ReferenceEncode(second).tracked);
    EXPECT_NE(carried, own);
}

TEST(VoiceCodec, DecodesInPlaceFromTheTailOfTheSampleBuffer) {
    // A page of 258 coded bytes read into the last quarter of its 1032-sample buffer.
    const std::vector<uint8_t> tone = Tone(1032, 100);
    const Reference reference = ReferenceEncode(tone);
    std::vector<uint8_t> buffer(1032, 0xEE);
    std::copy(reference.coded.begin(), reference.coded.end(), buffer.begin() + 3 * 258);

    VoiceDecoder decoder;
    decoder.Decode(buffer.data() + 3 * 258, 258, buffer.data());
    EXPECT_EQ(buffer, reference.tracked);
}

TEST(VoiceCodec, EncodesInPlace) {
    const std::vector<uint8_t> tone = Tone(984, 70);
    std::vector<uint8_t> buffer = tone;
    ASSERT_EQ(VoiceEncoder().Encode(buffer.data(), buffer.size(), buffer.data()), 246u);
    buffer.resize(246);
    EXPECT_EQ(buffer, ReferenceEncode(tone).coded);
}

TEST(VoiceCodec, SignFlipIsWavSampleMinus128) {
    uint8_t samples[] = {0, 127, 128, 255};
    FlipSampleSign(samples, 4);
    const int8_t expected[] = {-128, -1, 0, 127};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<int8_t>(samples[i]), expected[i]) << i;
    }
    FlipSampleSign(samples, 4);
    EXPECT_EQ(std::vector<uint8_t>(samples, samples + 4), (std::vector<uint8_t>{0, 127, 128, 255}));
}

}  // namespace
}  // namespace fonerix::test
