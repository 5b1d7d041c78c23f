#pragma once

#include <cstddef>
#include <cstdint>

namespace fonerix {

// The 2-bit adaptive code of the type 5 and type 6 sets. Each code moves the last value by half
// a step, or by one and a half steps, up or down, and the step adapts: it grows by two table
// entries after a large move and shrinks by one after a small one. Four codes make a byte, the
// first sample in bits 1..0.
//
// The state is per message: a transfer starts with a fresh encoder or decoder, never one that
// carried over from an earlier message. Neither allocates; both can work in place (see below).

inline constexpr uint8_t kVoiceStepTable[16] = {1, 2,  3,  4,  5,  6,  7,  8,
                                                9, 10, 11, 13, 15, 17, 19, 22};
inline constexpr size_t kSamplesPerCodedByte = 4;
// Code bits: the large step, and the downward direction.
inline constexpr uint8_t kVoiceCodeLarge = 0x1;
inline constexpr uint8_t kVoiceCodeDown = 0x2;

// Step index and last value, as both ends of the code track them.
struct VoiceCodecState {
    uint8_t stepIndex = 0;
    uint8_t lastValue = 255;
};

// Applies one code to `state` and returns the new value.
uint8_t ApplyVoiceCode(VoiceCodecState& state, uint8_t code);

class VoiceDecoder {
  public:
    // One code (its two low bits); returns the sample, the set's value as it is.
    uint8_t DecodeCode(uint8_t code) { return ApplyVoiceCode(m_state, code & 3); }

    // Writes 4 * count samples for `count` coded bytes, low bits first. In place when the coded
    // bytes are the last `count` bytes of the sample buffer (coded == samples + 3 * count): a
    // page can be read into the tail of its sample buffer and expanded there.
    void Decode(const uint8_t* coded, size_t count, uint8_t* samples);

    const VoiceCodecState& State() const { return m_state; }

  private:
    VoiceCodecState m_state;
};

class VoiceEncoder {
  public:
    // Encodes `count` samples (unsigned 8-bit, as in a WAV file) and writes a coded byte for
    // every fourth sample, counting from the first sample of the message; a partial byte waits
    // for the next call. Returns the number of bytes written. `coded` may be `samples` (encoding
    // in place), since a byte is written only after its four samples were read.
    //
    // The set keeps the waveform inverted: the encoder follows 255 - x, with x limited to
    // 10..245, and the decoder gives back the stored values as they are, so a message that
    // goes up and comes back down returns inverted and re-quantised.
    //
    // A message that ends inside a page: fill the rest of the page's samples with silence (128)
    // and encode the page whole, so the set plays no leftover codes after the end.
    size_t Encode(const uint8_t* samples, size_t count, uint8_t* coded);

    // Completes a partial byte with codes for silence (128) and writes it. Returns 1 if a byte
    // was written, 0 if none was pending.
    size_t Finish(uint8_t* coded);

    // Samples waiting in the partial byte (0..3).
    size_t Pending() const { return m_pending; }
    const VoiceCodecState& State() const { return m_state; }

  private:
    uint8_t EncodeSample(uint8_t sample);

    VoiceCodecState m_state;
    uint8_t m_accumulator = 0;
    size_t m_pending = 0;
};

// The type 7 sets store signed 8-bit samples: the WAV sample minus 128, which is the WAV byte
// with its top bit flipped. The same flip converts back. In place.
void FlipSampleSign(uint8_t* samples, size_t count);

}  // namespace fonerix
