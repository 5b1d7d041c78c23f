// Uploads and downloads a 10-second message on a type-5 and a type-7 set, the simulated set
// pacing its line at the real speed, and compares the time taken with the wire-time limit: every
// byte exchanged, both ways, at 10 bits a byte, plus the pauses the protocol requires after each
// flash write and erase.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/CountedSet.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "control/voice/WavFormat.h"
#include "platform/automation/Bstr.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/VoiceFiles.h"

namespace {

using namespace fonerix;
using fonerix::bench::CountingLink;

constexpr double kMessageSeconds = 10;

struct Family {
    int type;
    uint32_t rate;
    bench::MakeDevice make;
};

struct Figures {
    double seconds;
    double wire;   // every byte exchanged at 10 bits a byte
    double pause;  // the pauses the protocol asks for after flash writes and erases
};

template <typename Transfer>
Figures Measure(CountingLink& link, const CDevice& device, Transfer transfer, bool& ok) {
    link.Reset();
    const auto start = std::chrono::steady_clock::now();
    ok = transfer();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double wire = static_cast<double>(link.BytesSent() + link.BytesReceived()) * 10.0 /
                        device.FamilyBaudRate();
    return {seconds, wire, std::chrono::duration<double>(link.Paused()).count()};
}

void Print(int type, const char* what, const Figures& f) {
    const double limit = f.wire + f.pause;
    std::printf("  type %d  %-8s  %7.2f s  %6.2f s/s  %7.2f s  %6.3f  %7.2f s  %6.3f\n", type, what,
                f.seconds, kMessageSeconds / f.seconds, limit, f.seconds / limit, f.wire,
                f.seconds / f.wire);
}

int Run(const Family& family) {
    fonerix::test::TemporaryDirectory dir;
    const std::string up = dir.Path().string() + "/up.wav";
    const std::string down = dir.Path().string() + "/down.wav";
    const auto samples = static_cast<size_t>(kMessageSeconds * family.rate);
    fonerix::test::WriteBytes(
        up, fonerix::test::WavBytes(fonerix::test::Sine(samples, family.rate), {family.rate}));

    bench::CountedSet set({.type = family.type, .pace = true}, family.make);
    if (!set.Found()) {
        return 1;
    }
    CountingLink& link = set.Link();
    CDevice* const device = &set.Device();
    device->WakeupDevice(true);

    int16_t handle = 0;
    bool uploaded = false;
    const Figures upload = Measure(
        link, *device,
        [&] { return device->SetSoundMessage(handle, std::u16string(up.begin(), up.end())); },
        uploaded);
    bool downloaded = false;
    const Figures download = Measure(
        link, *device,
        [&] { return device->GetSoundMessage(handle, std::u16string(down.begin(), down.end())); },
        downloaded);
    if (!uploaded || !downloaded) {
        std::fprintf(stderr, "type %d: the transfer failed\n", family.type);
        return 1;
    }
    Print(family.type, "upload", upload);
    Print(family.type, "download", download);
    unsetenv("FONERIX_COM1");
    return 0;
}

}  // namespace

int main() {
    const Family families[] = {
        {5, kZeltaVoiceRate,
         [](auto port) { return std::make_unique<CZeltaDevice>(std::move(port)); }},
        {7, kZelta7VoiceRate,
         [](auto port) { return std::make_unique<CZelta7Device>(std::move(port)); }},
    };
    std::printf("A %.0f-second message, set paced at its line speed (10 bits a byte)\n",
                kMessageSeconds);
    std::printf("  %-6s  %-8s  %9s  %10s  %9s  %6s  %9s  %6s\n", "", "", "measured", "audio",
                "line+pause", "ratio", "line only", "ratio");
    int status = 0;
    for (const Family& family : families) {
        status |= Run(family);
    }
    std::printf(
        "audio: seconds of sound moved per second of transfer. line+pause: wire time of every\n"
        "byte plus every flash pause. line only: the wire time alone, the true floor where a\n"
        "pause runs while the bytes written before it are still crossing the line (uploads to\n"
        "the simulated set: its line buffers the write). Goal: ratio at most 1.10.\n");
    return status;
}
