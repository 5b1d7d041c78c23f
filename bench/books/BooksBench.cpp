// Reads a full outgoing log, incoming log and phone book of a type-5, a type-7 and a type-1 set
// from the simulated set pacing its line at the real speed, and compares the time taken with
// the wire-time limit: every byte exchanged, both ways, at 10 bits a byte, plus the fixed
// pauses of the protocol. The lists are laid into the set beforehand, unpaced, and kept in its
// image file between the two runs.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/device/VarkonDevice.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "control/serial/SerialPort.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"

namespace {

using namespace fonerix;
using fonerix::testing::SimOptions;
using fonerix::testing::SimProcess;

// A serial port that counts the bytes and pauses of the exchanges it carries.
class CountingLink final : public SerialLink {
  public:
    uint64_t sent = 0;
    uint64_t received = 0;
    std::chrono::milliseconds paused{0};

    bool Open(uint8_t port, uint32_t baud) override { return inner_.Open(port, baud); }
    bool Close() override { return inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    uint8_t GetPort() const override { return inner_.GetPort(); }
    uint32_t GetBaudRate() const override { return inner_.GetBaudRate(); }
    uint32_t BytesWaiting() override { return inner_.BytesWaiting(); }
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& got) override {
        const bool ok = inner_.Read(buffer, count, got);
        received += got;
        return ok;
    }
    bool Write(const uint8_t* data, uint32_t count, uint32_t& out) override {
        const bool ok = inner_.Write(data, count, out);
        sent += out;
        return ok;
    }
    bool Purge() override { return inner_.Purge(); }
    bool TransmitChar(uint8_t value) override {
        sent += 1;
        return inner_.TransmitChar(value);
    }
    bool SetTimeouts(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) override {
        return inner_.SetTimeouts(a, b, c, d, e);
    }
    using SerialLink::SetTimeouts;
    void ClearLineErrors() override { inner_.ClearLineErrors(); }
    void Pause(std::chrono::milliseconds duration) override {
        paused += duration;
        inner_.Pause(duration);
    }
    void SetNotifyWindow(INotifyWindow* window) override { inner_.SetNotifyWindow(window); }
    void StartWatcher(bool create) override { inner_.StartWatcher(create); }
    void StopWatcher() override { inner_.StopWatcher(); }

  private:
    CSerialPort inner_;
};

std::vector<uint8_t> Triples(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> raw;
    for (const uint8_t b : bytes) {
        raw.insert(raw.end(), {b, b, b});
    }
    return raw;
}

// A flash entry of `kind` as the set stores it; `n` varies its content.
std::vector<uint8_t> FlashEntry(uint8_t kind, int n) {
    std::vector<uint8_t> e(32, 0);
    e[1] = kind;
    e[2] = static_cast<uint8_t>(n % 60);
    e[3] = static_cast<uint8_t>(n % 24);
    e[4] = static_cast<uint8_t>(1 + n % 28);
    e[5] = static_cast<uint8_t>(1 + n % 12);
    e[6] = 24;
    e[7] = 10;
    for (int i = 0; i < 10; ++i) {
        e[8 + i] = static_cast<uint8_t>(1 + (n + i) % 10);
    }
    e[30] = static_cast<uint8_t>(n);
    return e;
}

struct Layout {
    int type;
    std::function<std::unique_ptr<CDevice>(std::unique_ptr<SerialLink>)> make;
    std::function<bool(CDevice&)> fill;
};

// Flash: outgoing and incoming logs of `logBlocks` blocks each, a phone book of two copies of
// `bookBlocks` blocks, every record slot used.
bool FillFlash(CDevice& d, int type, int logBlocks, int bookBlocks) {
    const bool five = type == 5;
    const int outFirst = 20, inFirst = 30, bookFirst = 40;
    std::vector<uint8_t> map(25, 0);
    const std::vector<uint8_t> areas{0,
                                     bookFirst,
                                     static_cast<uint8_t>(bookFirst + 2 * bookBlocks - 1),
                                     0,
                                     60,
                                     60,
                                     0,
                                     inFirst,
                                     static_cast<uint8_t>(inFirst + logBlocks - 1),
                                     0,
                                     0,
                                     outFirst,
                                     static_cast<uint8_t>(outFirst + logBlocks - 1),
                                     0};
    std::copy(areas.begin(), areas.end(), map.begin());
    auto page0 = Triples({0, 0x80});
    const auto mapRaw = Triples(map);
    page0.insert(page0.end(), mapRaw.begin(), mapRaw.end());
    const auto put = [&d](uint16_t block, uint8_t page, uint8_t column,
                          const std::vector<uint8_t>& raw) {
        return d.WriteFlash(FlashAddress::At(block, page, column, static_cast<uint8_t>(raw.size())),
                            raw.data());
    };
    std::vector<uint8_t> settings(33, 0);
    settings[1] = 0x40;
    bool ok = put(0, 0, 0, page0) && put(five ? 19 : 15, 0, 0, Triples(settings));
    const auto fillBlock = [&](int block, uint8_t kind, int n) {
        if (five) {
            for (uint8_t page = 0; page < 16; ++page) {
                ok = put(static_cast<uint16_t>(block), page, 0, Triples(FlashEntry(kind, n++))) &&
                     put(static_cast<uint16_t>(block), page, 97, Triples(FlashEntry(kind, n++))) &&
                     ok;
            }
        } else {
            for (uint8_t page = 1; page < 64; page += 2) {
                ok = put(static_cast<uint16_t>(block), page, 172, Triples(FlashEntry(kind, n++))) &&
                     ok;
            }
        }
    };
    for (int b = 0; b < logBlocks; ++b) {
        fillBlock(outFirst + b, 4, 100 * b);
        fillBlock(inFirst + b, 8, 100 * b + 50);
    }
    for (int b = 0; b < bookBlocks; ++b) {
        fillBlock(bookFirst + b, 2, 100 * b + 7);
    }
    return ok;
}

// Memory: 60 outgoing and 60 incoming calls of 12 bytes, 100 phone-book entries of 10.
bool FillMemory(CDevice& d) {
    std::vector<uint8_t> memory(0x1000, 0);
    const std::vector<uint8_t> map{0,  0x01, 0x00, 59,   12,   0,  0x04, 0x00,
                                   59, 12,   0,    0x07, 0x00, 99, 10};
    std::copy(map.begin(), map.end(), memory.begin() + 9);
    for (int i = 0; i < 60; ++i) {
        for (const uint16_t base : {0x0100, 0x0400}) {
            uint8_t* r = &memory[base + 12 * i];
            r[0] = static_cast<uint8_t>(i % 60), r[1] = static_cast<uint8_t>(i % 24);
            r[2] = static_cast<uint8_t>(1 + i % 28), r[3] = 0x1F;  // 15 digits
            for (int k = 4; k < 11; ++k) {
                r[k] = static_cast<uint8_t>(0x12 + k);
            }
            r[11] = static_cast<uint8_t>(i);
        }
    }
    for (int i = 0; i < 100; ++i) {
        uint8_t* r = &memory[0x0700 + 10 * i];
        r[0] = 0x04, r[1] = 0x1F;
        for (int k = 2; k < 9; ++k) {
            r[k] = static_cast<uint8_t>(0x34 + k);
        }
    }
    // Written in runs that skip the zeros a fresh set already holds.
    for (uint16_t at = 0; at < memory.size(); at += 16) {
        bool zero = true;
        for (int k = 0; k < 16; ++k) {
            zero = zero && memory[at + k] == 0;
        }
        if (!zero && !d.WriteMemory(at, 16, &memory[at])) {
            return false;
        }
    }
    return true;
}

int Run(const Layout& layout) {
    fonerix::testing::TemporaryDirectory directory("fonerix-bench");
    const std::string image = directory.File("set.img");
    {
        SimProcess sim(SimOptions{.type = layout.type, .image = image});
        setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
        auto device = layout.make(nullptr);
        DEVICEINFO info{};
        if (!device->LookForDevice(info, 1) || !device->WakeupDevice(true) ||
            !layout.fill(*device)) {
            std::fprintf(stderr, "type %d: could not lay the lists into the set\n", layout.type);
            return 1;
        }
        SysFreeString(info.Caption);
        // A read answered after the last write: the set has taken every write before it is
        // stopped.
        uint8_t version = 0;
        device->ReadRegister(0, version);
        device.reset();
        sim.Stop();
    }
    SimProcess sim(SimOptions{.type = layout.type, .pace = true, .image = image});
    setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
    auto owned = std::make_unique<CountingLink>();
    CountingLink& link = *owned;
    auto device = layout.make(std::move(owned));
    DEVICEINFO info{};
    if (!device->LookForDevice(info, 1)) {
        std::fprintf(stderr, "type %d: set not found\n", layout.type);
        return 1;
    }
    SysFreeString(info.Caption);
    CVarkonDevice::ResetReaders();
    CZeltaDevice::ResetReaders();
    CZelta7Device::ResetReaders();
    link.sent = link.received = 0;
    link.paused = std::chrono::milliseconds(0);

    int steps = 0, entries = 0;
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
    const double wire =
        static_cast<double>(link.sent + link.received) * 10.0 / device->FamilyBaudRate() +
        std::chrono::duration<double>(link.paused).count();
    std::printf(
        "type %d: %d entries in %d steps, %.2f s, %.1f entries/s; %llu bytes out, %llu in, "
        "pauses %.3f s; wire-time limit %.2f s; ratio %.3f\n",
        layout.type, entries, steps, seconds, entries / seconds,
        static_cast<unsigned long long>(link.sent), static_cast<unsigned long long>(link.received),
        std::chrono::duration<double>(link.paused).count(), wire, seconds / wire);
    return 0;
}

}  // namespace

int main() {
    const Layout layouts[] = {
        {5, [](auto port) { return std::make_unique<CZeltaDevice>(std::move(port)); },
         [](CDevice& d) { return FillFlash(d, 5, 2, 2); }},
        {7, [](auto port) { return std::make_unique<CZelta7Device>(std::move(port)); },
         [](CDevice& d) { return FillFlash(d, 7, 2, 2); }},
        {1, [](auto port) { return std::make_unique<CVarkonDevice>(std::move(port)); },
         [](CDevice& d) { return FillMemory(d); }},
    };
    int status = 0;
    for (const Layout& layout : layouts) {
        status |= Run(layout);
    }
    return status;
}
