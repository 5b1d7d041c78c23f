#pragma once

#include <string_view>

#include "platform/ini/IniSyntax.h"

namespace fonerix {

// Automation names, registry sections and keys compare without regard to ASCII case, as the
// project's INI files do.
inline bool SameName(std::string_view a, std::string_view b) {
    return platform::ini::SameName(a, b);
}

}  // namespace fonerix
