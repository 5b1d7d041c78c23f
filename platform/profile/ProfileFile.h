#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// A private profile (INI) file read and written the way the Windows profile functions do it:
// section and key names compare without regard to case, values are trimmed and may hold spaces,
// a missing file or key yields the caller's default, and every call sees the file as it is now
// (nothing is cached, so two programs sharing the file see each other's writes).
//
// Writes keep every other line of the file (comments, unknown sections) and replace the file
// atomically. A file without any write permission bit counts as read-only, as the read-only
// attribute does on Windows, and a write to it fails instead of replacing it.
class ProfileFile {
  public:
    explicit ProfileFile(std::filesystem::path path);

    // $XDG_CONFIG_HOME/Fonedesk.INI, or ~/.config/Fonedesk.INI when the variable is unset.
    static std::filesystem::path DefaultPath(std::string_view fileName = "Fonedesk.INI");

    const std::filesystem::path& Path() const { return m_path; }

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue = {}) const;

    // A present value is read as GetPrivateProfileInt does: optional sign, then decimal digits
    // (or hexadecimal after "0x") up to the first other character; a value without digits is 0.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, int value);
    bool DeleteKey(std::string_view section, std::string_view key);

    // What went wrong in the last failed write, with the path.
    const std::string& LastError() const { return m_lastError; }

  private:
    bool Update(std::string_view section, std::string_view key, const std::string* value);

    std::filesystem::path m_path;
    std::string m_lastError;
};

}  // namespace platform
