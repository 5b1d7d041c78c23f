#include "platform/xdg/XdgDirectories.h"

#include <cstdlib>

namespace platform {
namespace {

// A relative value is to be ignored, as the rules say.
std::optional<std::filesystem::path> Lookup(const char* variable, const char* underHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return std::filesystem::path(value);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        return std::filesystem::path(home) / underHome;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> ConfigHome() {
    return Lookup("XDG_CONFIG_HOME", ".config");
}

std::optional<std::filesystem::path> DataHome() {
    return Lookup("XDG_DATA_HOME", ".local/share");
}

}  // namespace platform
