// Making a set with content, and saying what a set holds.
#pragma once

#include <chrono>
#include <string>

#include "sim/Engine.h"
#include "sim/Scenario.h"

namespace fonerix::sim {

// A set of the given type as it leaves the factory: registers at their fresh values, the clock
// at 2000-01-01 00:00:00, the stores formatted; then the scenario's content, laid out as the set
// itself stores it. `now` is when the set is made (the clock runs from it).
// std::invalid_argument saying what the set cannot hold.
DeviceStores BuildSet(int device_type, const Scenario& scenario,
                      std::chrono::system_clock::time_point now);

// Everything the set's lists hold, one entry a line, as "key=value" words: the phone book by
// position, then the outgoing and the incoming log in the order the set keeps them, then (types 7
// and 8) the redirection number and the auto-dial list; on the flash models the newest settings
// copy first. Each entry says where it is stored (block, page, column; or memory address).
std::string DumpLists(const DeviceStores& stores);

}  // namespace fonerix::sim
