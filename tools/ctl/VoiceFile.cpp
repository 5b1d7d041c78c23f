#include "tools/ctl/VoiceFile.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <vector>

#include "control/voice/RiffReader.h"
#include "control/voice/WavFormat.h"
#include "control/voice/WavReader.h"

namespace fonerix::ctl {

namespace {

// Any rate: the rate is the one thing that depends on the family.
constexpr SampleRateWindow kAnyRate{0, std::numeric_limits<uint32_t>::max()};

// The format fields of a file whose "fmt " chunk the control's reader got as far as.
struct WavFields {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

std::optional<WavFields> ReadFields(FileRiffSource& source) {
    RiffReader riff(source);
    RiffChunk form, fmt;
    uint8_t format[16];
    if (riff.DescendRiff(form, kWaveId) != RiffStatus::kOk ||
        riff.Descend(fmt, form, kFmtId) != RiffStatus::kOk || fmt.size < sizeof format ||
        riff.Read(fmt, format, sizeof format) != sizeof format) {
        return std::nullopt;
    }
    return WavFields{GetLe16(format), GetLe16(format + 2), GetLe32(format + 4),
                     GetLe16(format + 14)};
}

struct VoiceFamily {
    SampleRateWindow window;
    uint32_t rate;  // what the set plays at: the rate to convert to
};

// The voice layout of each type that keeps voice messages.
std::optional<VoiceFamily> FamilyOf(unsigned devType) {
    switch (devType) {
        case 5:
        case 6:
            return VoiceFamily{kZeltaRateWindow, kZeltaVoiceRate};
        case 7:
            return VoiceFamily{kZelta7RateWindow, kZelta7VoiceRate};
        default:
            return std::nullopt;
    }
}

// A path as one word of a shell command.
std::string ShellWord(const std::string& s) {
    const bool plain = !s.empty() && s.find_first_not_of(
                                         "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN"
                                         "OPQRSTUVWXYZ0123456789._/+-=,:@") == std::string::npos;
    if (plain) {
        return s;
    }
    std::string quoted = "'";
    for (const char c : s) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ConvertedName(const std::string& path, uint32_t rate) {
    std::filesystem::path p(path);
    p.replace_filename(p.stem().string() + "-" + std::to_string(rate) + ".wav");
    return p.string();
}

bool IsFormatRejection(WavRejection r) {
    return r == WavRejection::kNotPcm || r == WavRejection::kNotMono ||
           r == WavRejection::kNot8Bit || r == WavRejection::kRateOutOfRange;
}

}  // namespace

std::optional<std::string> VoiceFileProblem(const std::string& path) {
    FileRiffSource source;
    if (!source.Open(path)) {
        return path + ": cannot be read";
    }
    VoiceWavInfo info;
    const WavRejection r = CheckVoiceWav(source, kAnyRate, info);
    if (r == WavRejection::kNone || IsFormatRejection(r)) {
        return std::nullopt;
    }
    return path + ": not a WAV file (" + WavRejectionText(r) + ")";
}

std::optional<std::string> VoiceFileProblemForSet(const std::string& path, unsigned devType) {
    const std::optional<VoiceFamily> family = FamilyOf(devType);
    if (!family) {
        return std::nullopt;  // the control answers no for a set without voice messages
    }
    FileRiffSource source;
    if (!source.Open(path)) {
        return path + ": cannot be read";
    }
    VoiceWavInfo info;
    const WavRejection r = CheckVoiceWav(source, family->window, info);
    if (r == WavRejection::kNone) {
        return std::nullopt;
    }
    const std::optional<WavFields> f = IsFormatRejection(r) ? ReadFields(source) : std::nullopt;
    if (!f) {
        return path + ": not a WAV file (" + WavRejectionText(r) + ")";
    }
    // Only what is wrong with it, in the order sox's options name them.
    std::vector<std::string> wrong;
    if (f->tag != kWavePcm) {
        wrong.push_back("not PCM (format " + std::to_string(f->tag) + ")");
    }
    if (f->channels != 1) {
        wrong.push_back(f->channels == 2 ? "stereo" : std::to_string(f->channels) + " channels");
    }
    if (f->bits != 8) {
        wrong.push_back(std::to_string(f->bits) + "-bit");
    }
    if (!family->window.Contains(f->rate)) {
        wrong.push_back(std::to_string(f->rate) + " samples/s");
    }
    std::string text;
    for (const std::string& w : wrong) {
        text += (text.empty() ? "" : ", ") + w;
    }
    return path + ": " + (text.empty() ? WavRejectionText(r) : text) +
           "; this set takes 8-bit mono PCM at " + std::to_string(family->window.low) + " to " +
           std::to_string(family->window.high) + " samples/s: sox " + ShellWord(path) + " -r " +
           std::to_string(family->rate) + " -c 1 -b 8 -e unsigned-integer " +
           ShellWord(ConvertedName(path, family->rate));
}

}  // namespace fonerix::ctl
