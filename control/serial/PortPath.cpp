#include "control/serial/PortPath.h"

#include <cstdlib>
#include <fstream>

namespace fonerix {

namespace {

std::string ConfigHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
        return xdg;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home) + "/.config";
    }
    return {};
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
