#pragma once

#include <string>

#include "platform/automation/Dispatch.h"
#include "tools/ctl/Session.h"

namespace fonerix::ctl {

// One event as watch prints it: "HH:MM:SS  ComingCall  84951234567", or a JSON line
// {"time": "...", "event": "ComingCall", "number": "..."}. `stamp` is the local time.
std::string EventLine(const std::string& stamp, DISPID dispid, const DISPPARAMS& params, bool json);

// Frees the number strings of an event, which belong to the sink that received them, and
// nulls their slots.
void FreeEventStrings(const DISPPARAMS& params);

// Turns on the set's events and prints them until SIGINT, SIGTERM or the --seconds limit.
int Watch(Session& session);

}  // namespace fonerix::ctl
