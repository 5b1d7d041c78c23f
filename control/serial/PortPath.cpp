#include "control/serial/PortPath.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/ini/IniSyntax.h"
#include "platform/xdg/XdgDirectories.h"

namespace fonerix {

namespace {

std::string ConfigHome() {
    const std::optional<std::filesystem::path> home = platform::ConfigHome();
    return home ? home->string() : std::string();
}

std::string PathFromPortsFile(const std::string& key) {
    const std::string home = ConfigHome();
    if (home.empty()) {
        return {};
    }
    for (const std::string& text : platform::ini::ReadLines(home + "/fonerix/ports.conf")) {
        const platform::ini::Line line = platform::ini::ParseLine(text);
        if (line.kind == platform::ini::Line::kEntry && line.key == key) {
            return std::string(line.value);
        }
    }
    return {};
}

}  // namespace

std::string ComPortPath(unsigned number) {
    if (number == 0) {
        return {};
    }
    const std::string key = "COM" + std::to_string(number);
    if (const char* env = std::getenv(("FONERIX_" + key).c_str()); env != nullptr && *env != '\0') {
        return env;
    }
    if (std::string path = PathFromPortsFile(key); !path.empty()) {
        return path;
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace fonerix
