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

#include "platform/ini/IniSyntax.h"
#include "platform/xdg/XdgDirectories.h"

namespace platform {
namespace {

using ini::ReadLines;
using ini::SameName;
using ini::Trim;

constexpr std::string_view kBlanks = " \t\r\n";

// One pair of enclosing quotes is taken off a value, so that a value can keep blanks at its ends.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// A value that would not read back as written (blanks at an end, or enclosing quotes) is
// written inside quotes; reading strips one pair.
std::string EncodeValue(std::string_view value) {
    const bool blankAtEnd = !value.empty() && (kBlanks.find(value.front()) != std::string::npos ||
                                               kBlanks.find(value.back()) != std::string::npos);
    if (blankAtEnd || Unquote(value).size() != value.size()) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

}  // namespace

ProfileFile::ProfileFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::filesystem::path ProfileFile::DefaultPath(std::string_view fileName) {
    return platform::ConfigHome().value_or(".") / std::string(fileName);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    bool inSection = false;
    for (const std::string& text : ReadLines(m_path)) {
        const ini::Line line = ini::ParseLine(text);
        if (line.kind == ini::Line::kSection) {
            inSection = SameName(line.name, section);
        } else if (inSection && line.kind == ini::Line::kEntry && SameName(line.key, key)) {
            return std::string(Unquote(line.value));
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
        const ini::Line line = ini::ParseLine(lines[i]);
        if (line.kind == ini::Line::kSection) {
            if (sectionLine) {
                break;
            }
            if (SameName(line.name, section)) {
                sectionLine = i;
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!sectionLine) {
            continue;
        }
        if (!Trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
        if (line.kind == ini::Line::kEntry && SameName(line.key, key)) {
            if (value != nullptr) {
                lines[i] = std::string(line.key) + "=" + EncodeValue(*value);
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
    return ini::ReplaceFile(path, text.str(), exists ? st.st_mode : 0644, "profile file",
                            m_lastError);
}

}  // namespace platform
