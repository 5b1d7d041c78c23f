#pragma once

#include <filesystem>
#include <optional>

// Where the user's configuration and data live, as the XDG base-directory rules say; the one
// lookup for the registry file, the profile, ports.conf and the data source's file.
namespace platform {

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config; nothing without either.
std::optional<std::filesystem::path> ConfigHome();
// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share; nothing without either.
std::optional<std::filesystem::path> DataHome();

}  // namespace platform
