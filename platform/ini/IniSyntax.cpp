#include "platform/ini/IniSyntax.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace platform::ini {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ErrnoText(std::string_view what, const std::filesystem::path& path) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(errno);
}

}  // namespace

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

Line ParseLine(std::string_view line) {
    const std::string_view text = Trim(line);
    Line parsed;
    if (text.size() >= 2 && text.front() == '[') {
        if (const auto close = text.find(']'); close != std::string_view::npos) {
            parsed.kind = Line::kSection;
            parsed.name = Trim(text.substr(1, close - 1));
        }
        return parsed;
    }
    if (text.empty() || text.front() == ';' || text.front() == '#') {
        return parsed;
    }
    const auto eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        return parsed;
    }
    parsed.kind = Line::kEntry;
    parsed.key = Trim(text.substr(0, eq));
    parsed.value = Trim(text.substr(eq + 1));
    return parsed;
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool ReplaceFile(const std::filesystem::path& path, std::string_view data, std::uint32_t mode,
                 std::string_view what, std::string& error) {
    std::string tmp = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        error = ErrnoText(std::string("Cannot write the ") + std::string(what), path);
        return false;
    }
    ::fchmod(fd, static_cast<mode_t>(mode & 07777));
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = ErrnoText(std::string("Cannot write the ") + std::string(what), path);
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed) {
        error = ErrnoText(std::string("Cannot write the ") + std::string(what), path);
        ::unlink(tmp.c_str());
        return false;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        error = ErrnoText(std::string("Cannot replace the ") + std::string(what), path);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace platform::ini
