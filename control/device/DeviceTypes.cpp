#include "control/device/DeviceTypes.h"

#include <array>

namespace fonerix {

namespace {

struct StringEntry {
    uint16_t id;
    std::string_view text;
};

constexpr std::array<StringEntry, 7> kStrings{{
    {kIdsZeltaPlus, "Ringolo Zelta+"},
    {kIdsZelta, "Ringolo Zelta"},
    {kIdsVarkonPlusL, "Varkon+L"},
    {kIdsVarkon, "Varkon"},
    {kIdsVarkonPc, "Varkon-PC"},
    {kIdsUnknownDevice, "Unknown Device"},
    {kIdsVarkonPlus, "Varkon+"},
}};

// Indexed by type code 0..8.
constexpr std::array<uint16_t, 9> kTypeCaptions{
    kIdsZelta,     kIdsVarkonPlus, kIdsVarkonPc,  kIdsVarkon,    kIdsVarkonPlusL,
    kIdsZeltaPlus, kIdsZeltaPlus,  kIdsZeltaPlus, kIdsZeltaPlus,
};

}  // namespace

uint16_t CaptionStringId(uint32_t devType) {
    return devType < kTypeCaptions.size() ? kTypeCaptions[devType] : kIdsUnknownDevice;
}

std::string_view LoadControlString(uint16_t id) {
    for (const auto& entry : kStrings) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return {};
}

}  // namespace fonerix
