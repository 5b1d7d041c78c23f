// Every byte value the telephone set and the host agree on, in one place, so that the simulated
// set and the tests that talk to it cannot drift apart.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fonerix::sim::wire {

// Commands the host sends. Those with an echo are acknowledged by the set echoing the byte
// before the host sends their parameters.
inline constexpr std::uint8_t kReadRegister = 0x82;   // echo; register -> value
inline constexpr std::uint8_t kWriteRegister = 0x84;  // echo; register, value
inline constexpr std::uint8_t kReadMemory =
    0x88;  // echo; count, addr high, addr low -> count bytes
inline constexpr std::uint8_t kWriteMemoryByte = 0x90;  // echo; addr high, addr low, value
inline constexpr std::uint8_t kFlash = 0xA0;            // echo; sub-command and its bytes

// Sub-commands of kFlash.
inline constexpr std::uint8_t kFlashRead = 1;   // 5 address bytes -> count bytes
inline constexpr std::uint8_t kFlashWrite = 2;  // 5 address bytes, count data bytes
inline constexpr std::uint8_t kFlashErase = 3;  // block low, block high
inline constexpr std::size_t kFlashAddressBytes = 5;

// Go to sleep: kSleepPrefix then kSleep, no echo. kSleepPrefix alone is key 64.
inline constexpr std::uint8_t kSleepPrefix = 0x40;
inline constexpr std::uint8_t kSleep = 0x81;

// Dial the number held in the number buffer registers, no echo; the byte depends on the family.
inline constexpr std::uint8_t kDialFirstFamily = 0x20;
inline constexpr std::uint8_t kDialSecondFamily = 0x0C;

// Wake-up: the host writes zero bytes; the set answers kWakeAnswer.
inline constexpr std::uint8_t kWakeByte = 0x00;
inline constexpr std::uint8_t kWakeAnswer = 0xFF;
// The host's short handshake writes two zeros and reads up to two bytes; its long path writes
// a burst of kLongWakeBurst zeros.
inline constexpr std::size_t kShortWakeBytes = 2;
inline constexpr std::size_t kLongWakeBurst = 500;
// A set in deep sleep wakes only on a run of this many zeros: the short handshake never
// reaches it, the long burst does.
inline constexpr std::size_t kDeepSleepWakeRun = 100;

// Fixed locations.
inline constexpr std::uint8_t kVersionRegister = 0;  // device version bits 7-5, program 4-0
inline constexpr std::uint8_t kPermitRegister = 1;   // the host writes 0xFF here on wake-up
inline constexpr std::size_t kRegisterCount = 256;
inline constexpr std::size_t kMemorySize = 0x2000;
inline constexpr std::uint16_t kDeviceTypeAddress = 0x1FFF;

// Number buffer: a length register L, then up to kNumberBufferDigits digit registers.
inline constexpr std::uint8_t kNumberBufferFirstFamily = 43;
inline constexpr std::uint8_t kNumberBufferSecondFamily = 94;
inline constexpr std::size_t kNumberBufferDigits = 19;

// Unsolicited event frames: kEventStart, an event code and, for the two number events, a length
// byte and that many digit codes.
inline constexpr std::uint8_t kEventStart = 0xFF;
inline constexpr std::uint8_t kEventIncomingCall = 0xC1;
inline constexpr std::uint8_t kEventParallelDialling = 0xC2;
inline constexpr std::uint8_t kEventEndOfCall = 180;
inline constexpr std::uint8_t kEventAutoDialLinked = 181;
inline constexpr std::uint8_t kEventAutoDialFailed = 182;
inline constexpr std::uint8_t kEventHandsetUp = 184;
inline constexpr std::uint8_t kEventHandsetDown = 185;
inline constexpr std::uint8_t kEventParallelHandsetUp = 186;
inline constexpr std::uint8_t kEventAutoDialBusy = 187;
inline constexpr std::size_t kMaxNumberDigits = 20;

// Key codes: a key event frame is kEventStart then the key code; the host sends the same codes
// (without echo) to press a key on the set.
inline constexpr std::uint8_t kFirstKey = 1;
inline constexpr std::uint8_t kLastKey = 35;
inline constexpr std::uint8_t kKey64 = 64;

constexpr bool IsKeyCode(unsigned code) {
    return (code >= kFirstKey && code <= kLastKey) || code == kKey64;
}

// Digit codes of phone-number characters, one per byte in event frames and buffer registers.
inline constexpr std::uint8_t kDigitSpace = 0;  // 1..9 are the digits "1".."9"
inline constexpr std::uint8_t kDigitZero = 10;
inline constexpr std::uint8_t kDigitF = 11;
inline constexpr std::uint8_t kDigitJ = 12;
inline constexpr std::uint8_t kDigitL = 13;
inline constexpr std::uint8_t kDigitP = 14;
inline constexpr std::uint8_t kDigitOther = 15;  // shown as "_"

// Line speeds of the two families, in bit/s; a byte on the line is 10 bits (8N1).
inline constexpr unsigned kFirstFamilyBaud = 57600;
inline constexpr unsigned kSecondFamilyBaud = 115200;
inline constexpr unsigned kBitsPerByte = 10;

}  // namespace fonerix::sim::wire
