// The simulator's command line.
#pragma once

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
    bool help = false;
};

struct ParsedOptions {
    std::optional<Options> options;
    std::string error;
};

// `arguments` excludes the program name.
ParsedOptions ParseOptions(std::span<const std::string_view> arguments);

std::string_view UsageText();

}  // namespace fonerix::sim
