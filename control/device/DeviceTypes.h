#pragma once

#include <cstdint>
#include <string_view>

namespace fonerix {

// The model a set reports at memory 0x1FFF, and the library's string table of captions.
inline constexpr uint16_t kTypeAddress = 0x1FFF;
inline constexpr uint32_t kTypeNotRead = 0xFFFFFFFF;

// String ids of the captions.
inline constexpr uint16_t kIdsZeltaPlus = 201;
inline constexpr uint16_t kIdsZelta = 202;
inline constexpr uint16_t kIdsVarkonPlusL = 203;
inline constexpr uint16_t kIdsVarkon = 204;
inline constexpr uint16_t kIdsVarkonPc = 205;
inline constexpr uint16_t kIdsUnknownDevice = 206;
inline constexpr uint16_t kIdsVarkonPlus = 207;

// The caption's string id for a type code; kIdsUnknownDevice for anything outside 0..8,
// kTypeNotRead included.
uint16_t CaptionStringId(uint32_t devType);
// A text of the library's string table; empty for an id it does not hold.
std::string_view LoadControlString(uint16_t id);

// Link speeds of the two families.
inline constexpr uint32_t kVarkonBaud = 115200;
inline constexpr uint32_t kZeltaBaud = 57600;

}  // namespace fonerix
