#include "control/voice/VoiceCodec.h"

#include <algorithm>

namespace fonerix {

namespace {

// The step index after a move: two entries up after a large step, one down after a small one.
uint8_t NextStepIndex(uint8_t index, bool large) {
    const int next = large ? index + 2 : index - 1;
    return static_cast<uint8_t>(std::clamp(next, 0, 15));
}

uint8_t MoveValue(uint8_t value, int delta) {
    return static_cast<uint8_t>(std::clamp(value + delta, 0, 255));
}

}  // namespace

uint8_t ApplyVoiceCode(VoiceCodecState& state, uint8_t code) {
    const int step = kVoiceStepTable[state.stepIndex];
    const bool large = (code & kVoiceCodeLarge) != 0;
    int delta = step / 2 + (large ? step : 0);
    if (code & kVoiceCodeDown) {
        delta = -delta;
    }
    state.stepIndex = NextStepIndex(state.stepIndex, large);
    state.lastValue = MoveValue(state.lastValue, delta);
    return state.lastValue;
}

void VoiceDecoder::Decode(const uint8_t* coded, size_t count, uint8_t* samples) {
    for (size_t i = 0; i < count; ++i) {
        // Read the byte before writing its samples: in place, sample 4i + 3 may be byte i's slot.
        const uint8_t byte = coded[i];
        for (size_t k = 0; k < kSamplesPerCodedByte; ++k) {
            samples[kSamplesPerCodedByte * i + k] = DecodeCode(static_cast<uint8_t>(byte >> 2 * k));
        }
    }
}

uint8_t VoiceEncoder::EncodeSample(uint8_t sample) {
    const int target = 255 - std::clamp<int>(sample, 10, 245);
    const int error = target - m_state.lastValue;
    const int step = kVoiceStepTable[m_state.stepIndex];
    uint8_t code = 0;
    // A large step only when half a step cannot reach the target.
    if (step < (error < 0 ? -error : error)) {
        code |= kVoiceCodeLarge;
    }
    if (error < 0) {
        code |= kVoiceCodeDown;
    }
    ApplyVoiceCode(m_state, code);
    return code;
}

size_t VoiceEncoder::Encode(const uint8_t* samples, size_t count, uint8_t* coded) {
    size_t written = 0;
    for (size_t i = 0; i < count; ++i) {
        m_accumulator |= static_cast<uint8_t>(EncodeSample(samples[i]) << 2 * m_pending);
        if (++m_pending == kSamplesPerCodedByte) {
            coded[written++] = m_accumulator;
            m_accumulator = 0;
            m_pending = 0;
        }
    }
    return written;
}

size_t VoiceEncoder::Finish(uint8_t* coded) {
    if (m_pending == 0) {
        return 0;
    }
    static constexpr uint8_t kSilence = 128;
    while (m_pending != 0) {
        Encode(&kSilence, 1, coded);
    }
    return 1;
}

void FlipSampleSign(uint8_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        samples[i] ^= 0x80;
    }
}

}  // namespace fonerix
