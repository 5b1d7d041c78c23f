// Realistic content for a set, made from a seed: the same seed and count give the same
// scenario for the same type and the same day.
#pragma once

#include <cstdint>

#include "sim/Scenario.h"

namespace fonerix::sim {

// `count` entries in each list (phone book, outgoing and incoming log; at most what the set
// holds for the phone book). Numbers are of 5 to 11 digits as in a Russian city: five- to
// seven-digit local numbers, eleven-digit long-distance and mobile numbers starting with 8.
// Calls fall in the months before `now` (in the last 27 days for types 1 to 4, whose logs keep
// only the day of month), oldest first, some of them missed, some on the parallel telephone.
// The clock is set to `now`. Types 7 and 8 also get a redirection number and an auto-dial list.
Scenario GenerateScenario(int device_type, std::uint32_t seed, unsigned count,
                          const CivilTime& now);

}  // namespace fonerix::sim
