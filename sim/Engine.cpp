#include "sim/Engine.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>
#include <string>
#include <utility>

#include "sim/FlashSide.h"
#include "sim/MemorySide.h"
#include "sim/PhoneDigits.h"
#include "sim/WireCodes.h"

namespace fonerix::sim {

namespace {

FamilyTraits KnownTraits(std::uint8_t device_type) {
    const auto traits = TraitsOfType(device_type);
    if (!traits) {
        throw std::invalid_argument("no set of device type " + std::to_string(device_type));
    }
    return *traits;
}

std::uint16_t Word(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>(high << 8 | low);
}

// Layout of the flash parameters after the sub-command byte.
constexpr std::size_t kColumnAt = 1;
constexpr std::size_t kPageAt = 2;
constexpr std::size_t kBlockLowAt = 3;
constexpr std::size_t kBlockHighAt = 4;
constexpr std::size_t kCountAt = 5;
constexpr std::size_t kFlashHeader = 1 + wire::kFlashAddressBytes;

}  // namespace

Engine::Engine(std::uint8_t device_type, WallClock wall_clock)
    : Engine(DeviceStores{RegisterFile{}, DeviceMemory{device_type}, FlashStore{}},
             std::move(wall_clock)) {}

Engine::Engine(DeviceStores stores, WallClock wall_clock)
    : stores_(std::move(stores)),
      traits_(KnownTraits(stores_.memory.DeviceType())),
      clock_(RegisterMapOf(traits_.family).clock),
      wall_clock_(std::move(wall_clock)) {
    if (!stores_.clock_synced_ms) {
        stores_.clock_synced_ms = MillisecondsOf(wall_clock_());
    }
}

std::string Engine::RecordCall(CallEntry call) {
    AdvanceClock();
    const RegisterFile& registers = stores_.registers;
    const int year = registers.Read(clock_.year);
    call.year = year < 50 ? 2000 + year : 1900 + year;
    call.month = registers.Read(clock_.month);
    call.day = registers.Read(clock_.day);
    call.hour = registers.Read(clock_.hour);
    call.minute = registers.Read(clock_.minute);
    try {
        const int type = DeviceType();
        if (StorageOfType(type) == Storage::kMemory) {
            MemorySide(stores_.memory).AppendCall(call);
        } else {
            FlashSide(stores_.flash, FlashPlanOf(type)).AppendCall(call);
        }
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    NoteChange(true);
    return {};
}

void Engine::AdvanceClock() {
    sim::AdvanceClock(stores_.registers, clock_, *stores_.clock_synced_ms,
                      MillisecondsOf(wall_clock_()));
}

std::vector<Transmission> Engine::TakeTransmissions() {
    return std::exchange(outbox_, {});
}

void Engine::Send(TransmissionKind kind, std::vector<std::uint8_t> bytes) {
    outbox_.push_back(Transmission{kind, std::move(bytes)});
}

void Engine::Receive(std::uint8_t byte) {
    if (!awake_) {
        ReceiveWhileAsleep(byte);
        return;
    }
    switch (position_) {
        case Position::kParameters:
            ReceiveParameter(byte);
            return;
        case Position::kAfterSleepPrefix:
            position_ = Position::kCommand;
            if (byte == wire::kSleep) {
                awake_ = false;
                zero_run_ = 0;
                return;
            }
            // The prefix alone was key 64; this byte starts something new.
            NoteKey(wire::kKey64);
            ReceiveAtCommandPosition(byte);
            return;
        case Position::kCommand:
            ReceiveAtCommandPosition(byte);
            return;
    }
}

void Engine::ReceiveWhileAsleep(std::uint8_t byte) {
    if (byte != wire::kWakeByte) {
        zero_run_ = 0;
        return;
    }
    ++zero_run_;
    const std::size_t needed = deep_sleep_ ? wire::kDeepSleepWakeRun : 1;
    if (zero_run_ >= needed) {
        awake_ = true;
        position_ = Position::kCommand;
        // The zero that wakes the set is always answered, so that the host's long path,
        // which accepts any answer, sees one.
        Send(TransmissionKind::kWakeAnswer, {wire::kWakeAnswer});
    }
}

void Engine::ReceiveAtCommandPosition(std::uint8_t byte) {
    if (byte == wire::kWakeByte) {
        // The first two zeros of a run are answered, so the host's two-byte handshake read
        // completes at once; the rest of a long burst is not, so the line is quiet after it.
        ++zero_run_;
        if (zero_run_ <= wire::kShortWakeBytes) {
            Send(TransmissionKind::kWakeAnswer, {wire::kWakeAnswer});
        }
        return;
    }
    zero_run_ = 0;
    switch (byte) {
        case wire::kReadRegister:
        case wire::kWriteRegister:
        case wire::kReadMemory:
        case wire::kWriteMemoryByte:
        case wire::kFlash:
            command_ = byte;
            parameters_.clear();
            position_ = Position::kParameters;
            Send(TransmissionKind::kEcho, {byte});
            return;
        case wire::kSleepPrefix:
            position_ = Position::kAfterSleepPrefix;
            return;
        default:
            break;
    }
    if (byte == traits_.dial_byte) {
        Dial();
    } else if (wire::IsKeyCode(byte)) {
        NoteKey(byte);
    } else {
        ++activity_.ignored_bytes;
    }
}

void Engine::ReceiveParameter(std::uint8_t byte) {
    parameters_.push_back(byte);
    const auto needed = ParametersNeeded();
    if (!needed) {
        // An unknown flash sub-command: nothing more is expected.
        position_ = Position::kCommand;
        ++activity_.ignored_bytes;
        return;
    }
    if (parameters_.size() == *needed) {
        position_ = Position::kCommand;
        Execute();
    }
}

std::optional<std::size_t> Engine::ParametersNeeded() const {
    switch (command_) {
        case wire::kReadRegister:
            return 1;
        case wire::kWriteRegister:
            return 2;
        case wire::kReadMemory:
        case wire::kWriteMemoryByte:
            return 3;
        case wire::kFlash:
            break;
        default:
            assert(false && "only echoed commands take parameters");
            return std::nullopt;
    }
    if (parameters_.empty()) {
        return 1;
    }
    switch (parameters_[0]) {
        case wire::kFlashRead:
            return kFlashHeader;
        case wire::kFlashWrite:
            return parameters_.size() < kFlashHeader ? kFlashHeader
                                                     : kFlashHeader + parameters_[kCountAt];
        case wire::kFlashErase:
            return 3;
        default:
            return std::nullopt;
    }
}

void Engine::Execute() {
    const std::vector<std::uint8_t>& p = parameters_;
    switch (command_) {
        case wire::kReadRegister:
            if (IsClockRegister(clock_, p[0])) {
                AdvanceClock();
            }
            Send(TransmissionKind::kAnswer, {stores_.registers.Read(p[0])});
            return;
        case wire::kWriteRegister:
            if (IsClockRegister(clock_, p[0])) {
                // Writing restarts the clock's count of the current second, as a clock chip's
                // divider is reset, so that a carry between the host's writes of one setting
                // cannot move a field it has just written.
                AdvanceClock();
                stores_.clock_synced_ms = MillisecondsOf(wall_clock_());
                if (p[0] == clock_.second_written) {
                    stores_.registers.Write(clock_.second, p[1]);
                }
            }
            NoteChange(stores_.registers.Write(p[0], p[1]));
            return;
        case wire::kReadMemory: {
            const std::uint16_t address = Word(p[1], p[2]);
            std::vector<std::uint8_t> answer(p[0]);
            for (std::size_t i = 0; i < answer.size(); ++i) {
                answer[i] = stores_.memory.Read(static_cast<std::uint16_t>(address + i));
            }
            if (!answer.empty()) {
                Send(TransmissionKind::kAnswer, std::move(answer));
            }
            return;
        }
        case wire::kWriteMemoryByte:
            NoteChange(stores_.memory.Write(Word(p[0], p[1]), p[2]));
            return;
        case wire::kFlash:
            ExecuteFlash();
            return;
        default:
            assert(false && "only echoed commands take parameters");
    }
}

void Engine::ExecuteFlash() {
    const std::vector<std::uint8_t>& p = parameters_;
    if (p[0] == wire::kFlashErase) {
        NoteChange(stores_.flash.EraseBlock(Word(p[2], p[1])));
        return;
    }
    const FlashLocation at{Word(p[kBlockHighAt], p[kBlockLowAt]), p[kPageAt], p[kColumnAt]};
    // Types 7 and 8 address their 528-byte pages in halves (see FlashStore::ReadHalves).
    const bool halves = StorageOfType(DeviceType()) == Storage::kFlash64;
    if (p[0] == wire::kFlashRead) {
        std::vector<std::uint8_t> answer(p[kCountAt]);
        if (halves) {
            stores_.flash.ReadHalves(at, answer);
        } else {
            stores_.flash.Read(at, answer);
        }
        if (!answer.empty()) {
            Send(TransmissionKind::kAnswer, std::move(answer));
        }
        return;
    }
    const std::span<const std::uint8_t> data(p.begin() + kFlashHeader, p.end());
    NoteChange(halves ? stores_.flash.ProgramHalves(at, data) : stores_.flash.Program(at, data));
}

void Engine::Dial() {
    const std::uint8_t length_register = traits_.number_buffer_register;
    const std::size_t length =
        std::min<std::size_t>(stores_.registers.Read(length_register), wire::kNumberBufferDigits);
    std::vector<std::uint8_t> codes;
    for (std::size_t i = 1; i <= length; ++i) {
        codes.push_back(stores_.registers.Read(static_cast<std::uint8_t>(length_register + i)));
    }
    activity_.last_dialled = TextOfDigitCodes(codes);
    ++activity_.dial_count;
}

void Engine::NoteKey(std::uint8_t key) {
    activity_.last_key = key;
    ++activity_.key_count;
}

void Engine::NoteChange(bool changed) {
    if (changed) {
        ++revision_;
    }
}

}  // namespace fonerix::sim
