#pragma once

#include <cstddef>
#include <cstdint>

namespace fonerix {

// A chunk identifier as a RIFF file stores it: the first character in the lowest byte.
constexpr uint32_t FourCC(const char (&id)[5]) {
    return uint32_t(uint8_t(id[0])) | uint32_t(uint8_t(id[1])) << 8 |
           uint32_t(uint8_t(id[2])) << 16 | uint32_t(uint8_t(id[3])) << 24;
}

inline constexpr uint32_t kRiffId = FourCC("RIFF");
inline constexpr uint32_t kWaveId = FourCC("WAVE");
inline constexpr uint32_t kFmtId = FourCC("fmt ");
inline constexpr uint32_t kFactId = FourCC("fact");
inline constexpr uint32_t kDataId = FourCC("data");
inline constexpr uint16_t kWavePcm = 1;

// Voice messages are 8-bit mono PCM at the family's rate.
inline constexpr uint32_t kZeltaVoiceRate = 11025;  // types 5 and 6, the 2-bit code
inline constexpr uint32_t kZelta7VoiceRate = 6400;  // type 7, plain samples

// The sample rates an upload accepts, inclusive: the set plays at its own rate whatever the
// file says, so a file far from that rate would play at the wrong speed.
struct SampleRateWindow {
    uint32_t low;
    uint32_t high;
    bool Contains(uint32_t rate) const { return low <= rate && rate <= high; }
};
inline constexpr SampleRateWindow kZeltaRateWindow{10025, 12025};
inline constexpr SampleRateWindow kZelta7RateWindow{6000, 6900};

// The header of a downloaded message: RIFF, fmt (16 bytes), fact (sample count), data.
inline constexpr size_t kWavHeaderSize = 56;
inline constexpr size_t kWavRiffSizeOffset = 4;
inline constexpr size_t kWavFactCountOffset = 44;
inline constexpr size_t kWavDataSizeOffset = 52;
// The RIFF size counts everything after its own field: 48 header bytes and the data.
inline constexpr uint32_t kWavRiffSizeOverhead = kWavHeaderSize - 8;
// The largest sample count whose RIFF size still fits its 32-bit field (with a pad byte).
inline constexpr uint32_t kWavMaxSamples = 0xFFFFFFFFu - kWavRiffSizeOverhead - 1;

void PutLe16(uint8_t* at, uint16_t value);
void PutLe32(uint8_t* at, uint32_t value);
uint16_t GetLe16(const uint8_t* at);
uint32_t GetLe32(const uint8_t* at);

// Fills the 56-byte header for `sampleCount` 8-bit mono samples at `sampleRate`. The RIFF size
// is 48 + sampleCount, plus the pad byte that follows an odd data chunk.
void BuildWavHeader(uint32_t sampleRate, uint32_t sampleCount, uint8_t* header);

}  // namespace fonerix
