#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// What the INI files of the project share (the component registry, the program's profile and
// ports.conf): how a line reads, how names compare, and how a file is replaced whole.
namespace platform::ini {

// Blanks around names and values, and the carriage return of a CR LF line.
std::string_view Trim(std::string_view text);

// Section and key names compare without regard to ASCII case.
bool SameName(std::string_view a, std::string_view b);

struct Line {
    enum Kind {
        kOther,    // blank, a comment (';' or '#'), or text that is neither of the two below
        kSection,  // "[name]", anything after the ']' ignored
        kEntry,    // "key=value", the key not empty
    };
    Kind kind = kOther;
    std::string_view name;   // the section's, trimmed
    std::string_view key;    // trimmed
    std::string_view value;  // trimmed, as it stands (quotes included)
};

Line ParseLine(std::string_view line);

// The file's lines without their line ends (LF or CR LF); none for a missing file.
std::vector<std::string> ReadLines(const std::filesystem::path& path);

// Writes `data` to a temporary file beside `path`, syncs it and renames it over `path`, so that
// a reader sees the old file or the new one, never a part of either. The new file gets `mode`.
// False with the reason in `error` ("<what> <path>: <reason>"); nothing is left behind then.
bool ReplaceFile(const std::filesystem::path& path, std::string_view data, std::uint32_t mode,
                 std::string_view what, std::string& error);

}  // namespace platform::ini
