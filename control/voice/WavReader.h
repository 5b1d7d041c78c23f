#pragma once

#include <cstddef>
#include <cstdint>

#include "control/voice/RiffReader.h"
#include "control/voice/WavFormat.h"

namespace fonerix {

// Why a file cannot become a voice message.
enum class WavRejection : uint8_t {
    kNone,
    kNotRiff,         // no RIFF chunk at the start
    kNotWave,         // RIFF, but not of form WAVE
    kRiffSizeLies,    // the RIFF size claims more than the file holds
    kNoFormat,        // no "fmt " chunk
    kFormatTooShort,  // "fmt " shorter than the 16 bytes of a PCM format
    kNotPcm,          // format tag other than 1
    kNotMono,         // other than one channel
    kNot8Bit,         // other than 8 bits per sample
    kRateOutOfRange,  // sample rate outside the family's window
    kNoData,          // no "data" chunk after "fmt "
    kEmptyData,       // "data" chunk of size 0
    kTruncatedChunk,  // a chunk is cut off or claims more than its parent holds
    kReadFailed,      // the file could not be read
};

const char* WavRejectionText(WavRejection rejection);

struct VoiceWavInfo {
    uint32_t sampleRate = 0;
    uint32_t sampleCount = 0;  // bytes of the data chunk: one per sample
};

// The samples of a voice message file, in order. Open checks the file first: RIFF form WAVE,
// "fmt " with PCM, one channel, 8 bits and a rate in `window`, then a non-empty "data" chunk
// that lies wholly inside the file, so that a file is refused before anything is stored and the
// sample count is known beforehand.
class VoiceWavReader {
  public:
    // `source` must outlive the reader.
    WavRejection Open(RiffSource& source, SampleRateWindow window);

    const VoiceWavInfo& Info() const { return m_info; }
    // Samples not yet read.
    uint32_t Remaining() const;
    // Reads up to `count` samples (unsigned 8-bit); returns how many, 0 at the end. Fewer than
    // asked before the end means the file could no longer be read.
    size_t Read(uint8_t* samples, size_t count);

  private:
    RiffSource* m_source = nullptr;
    VoiceWavInfo m_info;
    uint64_t m_next = 0;
    uint64_t m_end = 0;
};

// Checks `source` as Open does, without keeping it.
inline WavRejection CheckVoiceWav(RiffSource& source, SampleRateWindow window, VoiceWavInfo& info) {
    VoiceWavReader reader;
    const WavRejection rejection = reader.Open(source, window);
    info = reader.Info();
    return rejection;
}

}  // namespace fonerix
