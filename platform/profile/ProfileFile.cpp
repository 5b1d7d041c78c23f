#include "platform/profile/ProfileFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/xdg/XdgDirectories.h"

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
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

// "[name]" gives name; anything else is not a section header.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') {
        return std::nullopt;
    }
    const auto close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
        return std::nullopt;
    }
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        return std::nullopt;
    }
    std::string_view value = Trim(trimmed.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return KeyLine{Trim(trimmed.substr(0, eq)), value};
}

// A value that would not read back as written (blanks at an end, or enclosing quotes) is
// written inside quotes; reading strips one pair.
std::string EncodeValue(std::string_view value) {
    const bool blankAtEnd = !value.empty() && (kBlanks.find(value.front()) != std::string::npos ||
                                               kBlanks.find(value.back()) != std::string::npos);
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (blankAtEnd || quoted) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

std::string ErrnoText(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

}  // namespace

ProfileFile::ProfileFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::filesystem::path ProfileFile::DefaultPath(std::string_view fileName) {
    return platform::ConfigHome().value_or(".") / std::string(fileName);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    bool inSection = false;
    for (const std::string& line : ReadLines(m_path)) {
        if (const auto name = SectionName(line)) {
            inSection = EqualNoCase(*name, section);
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (const auto entry = ParseKeyLine(line); entry && EqualNoCase(entry->key, key)) {
            return std::string(entry->value);
        }
    }
    return std::string(defaultValue);
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const std::string text = GetString(section, key, "\x01");
    if (text == "\x01") {
        return defaultValue;
    }
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos + 1 < text.size() && text[pos] == '0' &&
        (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    unsigned long long value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        value = (value * base + digit) & 0xFFFFFFFFull;  // wraps like the 32-bit original
    }
    const auto bits = static_cast<unsigned int>(value);
    return static_cast<int>(negative ? 0u - bits : bits);
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    const std::string text(value);
    return Update(section, key, &text);
}

bool ProfileFile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
    return Update(section, key, nullptr);
}

bool ProfileFile::Update(std::string_view section, std::string_view key, const std::string* value) {
    m_lastError.clear();
    std::error_code ec;
    // Write through a symbolic link to the file it names, not over the link.
    const std::filesystem::path target = std::filesystem::weakly_canonical(m_path, ec);
    const std::filesystem::path path = ec ? m_path : target;

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        m_lastError = "The profile file " + path.string() + " is read-only";
        return false;
    }

    std::vector<std::string> lines = exists ? ReadLines(path) : std::vector<std::string>{};
    std::optional<std::size_t> sectionLine;
    std::size_t sectionEnd = lines.size();  // one past the section's last key line
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (sectionLine) {
                break;
            }
            if (EqualNoCase(*name, section)) {
                sectionLine = i;
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!sectionLine) {
            continue;
        }
        const auto entry = ParseKeyLine(lines[i]);
        if (!Trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
        if (entry && EqualNoCase(entry->key, key)) {
            if (value != nullptr) {
                lines[i] = std::string(entry->key) + "=" + EncodeValue(*value);
            } else {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            }
            done = true;
        }
    }
    if (!done) {
        if (value == nullptr) {
            return true;  // nothing to delete
        }
        const std::string entry = std::string(key) + "=" + EncodeValue(*value);
        if (sectionLine) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
        } else {
            if (!lines.empty() && !Trim(lines.back()).empty()) {
                lines.emplace_back();
            }
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(entry);
        }
    }

    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ec);
        if (ec) {
            m_lastError =
                "Cannot create the folder " + path.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    std::ostringstream text;
    for (const std::string& line : lines) {
        text << line << '\n';
    }
    const std::string data = text.str();
    std::string tmp = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        m_lastError = ErrnoText("Cannot write the profile file", path);
        return false;
    }
    ::fchmod(fd, exists ? (st.st_mode & 07777) : 0644);
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_lastError = ErrnoText("Cannot write the profile file", path);
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    if (!synced || ::close(fd) != 0) {
        if (!synced) {
            ::close(fd);
        }
        m_lastError = ErrnoText("Cannot write the profile file", path);
        ::unlink(tmp.c_str());
        return false;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        m_lastError = ErrnoText("Cannot replace the profile file", path);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
