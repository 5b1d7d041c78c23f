#include "control/voice/WavFormat.h"

#include <cstring>

namespace fonerix {

void PutLe16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> 8 * i);
    }
}

uint16_t GetLe16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t GetLe32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

void BuildWavHeader(uint32_t sampleRate, uint32_t sampleCount, uint8_t* header) {
    std::memset(header, 0, kWavHeaderSize);
    PutLe32(header + 0, kRiffId);
    // An odd data chunk is followed by a pad byte, which the RIFF size counts.
    PutLe32(header + kWavRiffSizeOffset, kWavRiffSizeOverhead + sampleCount + (sampleCount & 1));
    PutLe32(header + 8, kWaveId);
    PutLe32(header + 12, kFmtId);
    PutLe32(header + 16, 16);
    PutLe16(header + 20, kWavePcm);
    PutLe16(header + 22, 1);           // channels
    PutLe32(header + 24, sampleRate);  // samples per second
    PutLe32(header + 28, sampleRate);  // bytes per second: one byte per sample
    PutLe16(header + 32, 1);           // block align
    PutLe16(header + 34, 8);           // bits per sample
    PutLe32(header + 36, kFactId);
    PutLe32(header + 40, 4);
    PutLe32(header + kWavFactCountOffset, sampleCount);
    PutLe32(header + 48, kDataId);
    PutLe32(header + kWavDataSizeOffset, sampleCount);
}

}  // namespace fonerix
