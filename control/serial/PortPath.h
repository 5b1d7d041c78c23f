#pragma once

#include <string>

namespace fonerix {

// The device path of COM port `number`: the variable FONERIX_COM<n> if set, else the line
// COM<n>=PATH of $XDG_CONFIG_HOME/fonerix/ports.conf (~/.config by default), else /dev/ttyS<n-1>.
// Empty for port 0.
std::string ComPortPath(unsigned number);

}  // namespace fonerix
