#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/automation/Guid.h"

namespace fonerix {

// The registry file: INI sections of "key=value" lines. Section and key names compare without
// regard to ASCII case; comment lines (';' or '#') and blank lines survive a rewrite. Sections:
//   [CLSID\{...}]  Library (absolute path), ProgID, Name, ThreadingModel, and the class's own
//                  values
//   [ProgID\name]  CLSID
//   [TypeLib\{...}] Name, Version, Library
class CRegistryFile {
  public:
    explicit CRegistryFile(std::filesystem::path path) : m_path(std::move(path)) {}

    const std::filesystem::path& Path() const { return m_path; }

    // Reads the file; a missing file is an empty registry. False, with the reason in `error`,
    // when it exists but cannot be read.
    bool Load(std::string* error = nullptr);
    // Writes a temporary file beside it and renames it over the old one, so a reader sees the
    // old or the new file, never a part; creates the folder when needed.
    bool Save(std::string* error = nullptr) const;

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // False when there was no such section.
    bool RemoveSection(std::string_view section);
    bool HasSection(std::string_view section) const;
    std::vector<std::string> Sections() const;

    // Load, `edit`, Save, holding an exclusive lock on "<file>.lock" throughout, so that two
    // programs registering at once do not lose each other's entries.
    static bool Update(const std::filesystem::path& path,
                       const std::function<void(CRegistryFile&)>& edit,
                       std::string* error = nullptr);

  private:
    struct Line {
        std::string key;  // empty: a comment or blank line kept as text
        std::string text;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;

    std::filesystem::path m_path;
    std::vector<Line> m_preamble;  // lines before the first section
    std::vector<Section> m_sections;
};

std::string ClassSection(const CLSID& clsid);
std::string ProgIdSection(std::string_view progId);
std::string TypeLibSection(const GUID& libid);

// Registration is written here: $XDG_CONFIG_HOME/fonerix/registry.ini, or
// ~/.config/fonerix/registry.ini when the variable is unset or not absolute.
std::filesystem::path UserRegistryPath();
// Where lookups search, first match first: the user's file, then /etc/fonerix/registry.ini.
std::vector<std::filesystem::path> RegistrySearchPath();

struct RegisteredClass {
    CLSID clsid;
    std::string library;
    std::string progId;
    std::string typeName;
    std::string threadingModel;
    std::filesystem::path file;  // the registry file it came from
};

// The first file with a section for the class decides. Unreadable files are skipped.
std::optional<RegisteredClass> FindRegisteredClass(const CLSID& clsid,
                                                   const std::vector<std::filesystem::path>& files);
// The class of a ProgID, from the first file that names it.
std::optional<CLSID> FindProgId(std::string_view progId,
                                const std::vector<std::filesystem::path>& files);

}  // namespace fonerix
