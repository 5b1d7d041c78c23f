// Reads a full outgoing log, incoming log and phone book of a type-5, a type-7 and a type-1 set
// from the simulated set pacing its line at the real speed, and compares the time taken with the
// wire-time limit: every byte exchanged, both ways, at 10 bits a byte, plus the fixed pauses of
// the protocol (less the part of a pause during which the set was already answering). The set
// is filled by its own generator.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "bench/common/CountedSet.h"
#include "control/device/VarkonDevice.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "platform/automation/Bstr.h"
#include "tests/support/SimProcess.h"

namespace {

using namespace fonerix;
using fonerix::bench::CountingLink;
using fonerix::test::SimOptions;

// More entries than any list holds, so every list is full.
constexpr const char* kGenerate = "11:400";

struct Family {
    int type;
    bench::MakeDevice make;
};

int Run(const Family& family) {
    bench::CountedSet set(SimOptions{.type = family.type, .pace = true, .generate = kGenerate},
                          family.make);
    if (!set.Found()) {
        return 1;
    }
    CountingLink& link = set.Link();
    CDevice* const device = &set.Device();
    device->WakeupDevice(false);
    CVarkonDevice::ResetReaders();
    CZeltaDevice::ResetReaders();
    CZelta7Device::ResetReaders();
    link.Reset();

    int steps = 0;
    int entries = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto read : {&CDevice::GetOutcomeBook, &CDevice::GetIncomeBook, &CDevice::GetPhoneBook}) {
        PHBOOKRECORD r{};
        while (((*device).*read)(r)) {
            ++steps;
            if (r.inUse) {
                ++entries;
                SysFreeString(r.Phone);
                r.Phone = nullptr;
            }
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double pauses = std::chrono::duration<double>(link.Paused()).count();
    const double hidden = std::chrono::duration<double>(link.PausedUnderAnswers()).count();
    const double wire = static_cast<double>(link.BytesSent() + link.BytesReceived()) * 10.0 /
                        device->FamilyBaudRate();
    std::printf("  type %d  %5d %6d  %7.2f s %8.1f/s  %7.2f s %6.3f   %7.2f s %6.3f\n", family.type,
                entries, steps, seconds, entries / seconds, wire + pauses,
                seconds / (wire + pauses), wire + pauses - hidden,
                seconds / (wire + pauses - hidden));
    return 0;
}

}  // namespace

int main() {
    const Family families[] = {
        {5, [](auto port) { return std::make_unique<CZeltaDevice>(std::move(port)); }},
        {7, [](auto port) { return std::make_unique<CZelta7Device>(std::move(port)); }},
        {1, [](auto port) { return std::make_unique<CVarkonDevice>(std::move(port)); }},
    };
    std::printf("Full logs and phone book, set paced at its line speed (10 bits a byte)\n");
    std::printf("  %-6s %7s %6s  %9s %10s  %9s %6s   %9s %6s\n", "", "entries", "steps", "measured",
                "entries", "line+pause", "ratio", "overlap", "ratio");
    int status = 0;
    for (const Family& family : families) {
        status |= Run(family);
    }
    std::printf(
        "line+pause: wire time of every byte plus every protocol pause; overlap: less the part of\n"
        "a pause during which the set was already answering. Goal: ratio at most 1.10.\n");
    return status;
}
