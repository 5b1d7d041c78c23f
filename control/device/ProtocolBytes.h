#pragma once

#include <chrono>
#include <cstdint>

namespace fonerix::protocol {

// Command bytes the host sends. Those marked "echoed" are acknowledged by the set sending the
// same byte back before any parameter follows.
inline constexpr uint8_t kReadRegister = 0x82;   // echoed; register -> one byte
inline constexpr uint8_t kWriteRegister = 0x84;  // echoed; register, value
inline constexpr uint8_t kReadMemory = 0x88;     // echoed; count, address high, low -> count bytes
inline constexpr uint8_t kWriteMemory = 0x90;    // echoed; address high, low, value
inline constexpr uint8_t kFlash = 0xA0;          // echoed; sub-command and its bytes
inline constexpr uint8_t kFlashRead = 1;
inline constexpr uint8_t kFlashWrite = 2;
inline constexpr uint8_t kFlashErase = 3;
inline constexpr uint8_t kSleepPrefix = 0x40;  // sent ahead of the queue, then kSleep
inline constexpr uint8_t kSleep = 0x81;
inline constexpr uint8_t kWakeByte = 0x00;
inline constexpr uint8_t kWakeAnswer = 0xFF;
inline constexpr uint32_t kLongWakeBurst = 500;

// Pauses the set needs.
inline constexpr std::chrono::milliseconds kMemoryAnswerPause{17};
inline constexpr std::chrono::milliseconds kLongWakePause{17};
inline constexpr std::chrono::milliseconds kFlashPause{4};
inline constexpr std::chrono::milliseconds kDialPause{25};

// Memory reads never cross a page of this size.
inline constexpr uint32_t kMemoryPage = 256;

// Attempts of a command's echo, and of a register read or write.
inline constexpr int kCommandAttempts = 4;
inline constexpr int kRegisterAttempts = 4;

// The register that grants write permission when 0xFF is written to it.
inline constexpr uint8_t kPermitRegister = 1;
inline constexpr uint8_t kPermitValue = 0xFF;
// Bits 7..5: the set's hardware version; bits 4..0: its program version. 0 means no answer.
inline constexpr uint8_t kVersionRegister = 0;

}  // namespace fonerix::protocol
