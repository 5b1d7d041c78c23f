#include "sim/VoiceWav.h"

#include <optional>
#include <stdexcept>

namespace fonerix::sim {

namespace {

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16) |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

unsigned Le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<unsigned>(b[at] | b[at + 1] << 8);
}

bool Is(std::span<const std::uint8_t> b, std::size_t at, const char (&id)[5]) {
    return b[at] == id[0] && b[at + 1] == id[1] && b[at + 2] == id[2] && b[at + 3] == id[3];
}

void Refuse(const std::string& why) {
    throw std::invalid_argument("not a voice message: " + why);
}

}  // namespace

VoiceSound ReadVoiceWav(std::span<const std::uint8_t> file) {
    if (file.size() < 12 || !Is(file, 0, "RIFF") || !Is(file, 8, "WAVE")) {
        Refuse("no RIFF file of form WAVE");
    }
    const std::size_t end = std::min<std::size_t>(file.size(), 8 + std::size_t{Le32(file, 4)});
    std::optional<unsigned> rate;
    std::optional<VoiceSound> sound;
    for (std::size_t at = 12; at + 8 <= end && !sound;) {
        const std::size_t size = Le32(file, at + 4);
        const std::size_t data = at + 8;
        if (size > end - data) {
            Refuse("a chunk runs past the end of the file");
        }
        if (Is(file, at, "fmt ")) {
            if (size < 16) {
                Refuse("the format chunk is too short");
            }
            if (Le16(file, data) != 1 || Le16(file, data + 2) != 1 || Le16(file, data + 14) != 8) {
                Refuse("the set takes 8-bit mono PCM only");
            }
            rate = static_cast<unsigned>(Le32(file, data + 4));
        } else if (Is(file, at, "data")) {
            if (!rate) {
                Refuse("no format chunk before the data");
            }
            if (size == 0) {
                Refuse("no samples");
            }
            sound = VoiceSound{*rate,
                               {file.begin() + static_cast<std::ptrdiff_t>(data),
                                file.begin() + static_cast<std::ptrdiff_t>(data + size)}};
        }
        at = data + size + size % 2;
    }
    if (!sound) {
        Refuse("no data chunk");
    }
    return *sound;
}

}  // namespace fonerix::sim
