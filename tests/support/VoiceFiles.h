// Sound files for the voice-message tests, built byte by byte so that a test says exactly what
// the file holds (rate, channels, bits) whatever the code under test would write.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace fonerix::test {

struct WavSpec {
    std::uint32_t rate = 11025;
    std::uint16_t channels = 1;
    std::uint16_t bits = 8;
};

inline void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// RIFF/WAVE with a 16-byte PCM "fmt " chunk and a "data" chunk holding `data` as it is.
inline std::vector<std::uint8_t> WavBytes(const std::vector<std::uint8_t>& data,
                                          WavSpec spec = {}) {
    std::vector<std::uint8_t> out{'R', 'I', 'F', 'F'};
    PutLe(out, static_cast<std::uint32_t>(36 + data.size() + data.size() % 2), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, spec.channels, 2);
    PutLe(out, spec.rate, 4);
    const std::uint32_t align = spec.channels * spec.bits / 8u;
    PutLe(out, spec.rate * align, 4);
    PutLe(out, align, 2);
    PutLe(out, spec.bits, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe(out, static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) {
        out.push_back(0);
    }
    return out;
}

// `count` unsigned 8-bit samples of a sine around 128.
inline std::vector<std::uint8_t> Sine(std::size_t count, double rate, double hertz = 300,
                                      double amplitude = 60) {
    std::vector<std::uint8_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<std::uint8_t>(
            std::lround(128 + amplitude * std::sin(2 * M_PI * hertz * double(i) / rate)));
    }
    return samples;
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace fonerix::test
