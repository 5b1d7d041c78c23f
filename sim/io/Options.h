// The simulator's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/LineFaults.h"

namespace fonerix::sim {

struct Options {
    std::string link;
    std::optional<int> type;  // may come from the image instead
    std::string image;
    bool pace = false;
    std::string trace;
    std::string control;
    std::vector<FaultSwitch> faults;
    std::string scenario;  // a scenario file to make the set from
    struct Generate {
        std::uint32_t seed;
        unsigned count;
    };
    std::optional<Generate> generate;  // or generated content
    bool help = false;
};

// Entries a list gets from --generate SEED without a count.
inline constexpr unsigned kDefaultGeneratedEntries = 30;

struct ParsedOptions {
    std::optional<Options> options;
    std::string error;
};

// `arguments` excludes the program name.
ParsedOptions ParseOptions(std::span<const std::string_view> arguments);

std::string_view UsageText();

}  // namespace fonerix::sim
