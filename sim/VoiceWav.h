// The sound a scenario gives the set as a message: an 8-bit mono PCM WAV file, read here so that
// the simulator needs nothing of the host's.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace fonerix::sim {

struct VoiceSound {
    unsigned rate = 0;
    std::vector<std::uint8_t> samples;  // unsigned 8-bit, 128 silence
};

// The samples of a RIFF/WAVE file: a "fmt " chunk of PCM, one channel, 8 bits, and a non-empty
// "data" chunk. std::invalid_argument saying what is wrong otherwise.
VoiceSound ReadVoiceWav(std::span<const std::uint8_t> file);

}  // namespace fonerix::sim
