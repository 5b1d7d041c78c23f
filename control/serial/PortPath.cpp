#include "control/serial/PortPath.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/xdg/XdgDirectories.h"

namespace fonerix {

namespace {

std::string ConfigHome() {
    const std::optional<std::filesystem::path> home = platform::ConfigHome();
    return home ? home->string() : std::string();
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::string PathFromPortsFile(const std::string& key) {
    const std::string home = ConfigHome();
    if (home.empty()) {
        return {};
    }
    std::ifstream in(home + "/fonerix/ports.conf");
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        }
        const auto eq = line.find('=');
        if (eq != std::string::npos && Trim(line.substr(0, eq)) == key) {
            return Trim(line.substr(eq + 1));
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
