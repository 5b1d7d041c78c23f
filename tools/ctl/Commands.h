#pragma once

#include <ostream>

#include "tools/ctl/Arguments.h"

namespace fonerix::ctl {

// Creates the control, finds the set and runs the command; returns the exit code.
int RunCommand(const Invocation& invocation, std::ostream& out, std::ostream& err);

// --version: fonerixctl's own, and the registered control's library and type library.
int PrintVersion(std::ostream& out);

}  // namespace fonerix::ctl
