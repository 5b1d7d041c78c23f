#include "platform/automation/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/automation/NameCompare.h"
#include "platform/ini/IniSyntax.h"
#include "platform/xdg/XdgDirectories.h"

namespace fonerix {

namespace {

using platform::ini::Trim;

void SetError(std::string* error, const std::string& what, const std::filesystem::path& path) {
    if (error != nullptr) {
        *error = what + " " + path.string() + ": " + std::strerror(errno);
    }
}

}  // namespace

bool CRegistryFile::Load(std::string* error) {
    m_preamble.clear();
    m_sections.clear();
    std::ifstream in(m_path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT || !std::filesystem::exists(m_path)) {
            return true;
        }
        SetError(error, "Cannot read the registry file", m_path);
        return false;
    }
    std::string raw;
    while (std::getline(in, raw)) {
        const platform::ini::Line line = platform::ini::ParseLine(raw);
        if (line.kind == platform::ini::Line::kSection) {
            m_sections.push_back({std::string(line.name), {}});
            continue;
        }
        std::vector<Line>& into = m_sections.empty() ? m_preamble : m_sections.back().lines;
        if (line.kind != platform::ini::Line::kEntry || m_sections.empty()) {
            into.push_back({"", std::string(Trim(raw))});
            continue;
        }
        into.push_back({std::string(line.key), std::string(line.value)});
    }
    if (in.bad()) {
        SetError(error, "Cannot read the registry file", m_path);
        return false;
    }
    return true;
}

bool CRegistryFile::Save(std::string* error) const {
    std::ostringstream out;
    for (const Line& l : m_preamble) {
        out << l.text << '\n';
    }
    for (const Section& s : m_sections) {
        out << '[' << s.name << "]\n";
        for (const Line& l : s.lines) {
            out << (l.key.empty() ? l.text : l.key + "=" + l.text) << '\n';
        }
    }
    const std::filesystem::path dir = m_path.has_parent_path() ? m_path.parent_path() : ".";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        if (error != nullptr) {
            *error = "Cannot create the folder " + dir.string() + ": " + ec.message();
        }
        return false;
    }
    struct stat st {};
    std::string reason;
    if (!platform::ini::ReplaceFile(m_path, out.str(),
                                    ::stat(m_path.c_str(), &st) == 0 ? st.st_mode : 0644,
                                    "registry file", reason)) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    }
    return true;
}

CRegistryFile::Section* CRegistryFile::FindSection(std::string_view name) {
    for (Section& s : m_sections) {
        if (SameName(s.name, name)) {
            return &s;
        }
    }
    return nullptr;
}

const CRegistryFile::Section* CRegistryFile::FindSection(std::string_view name) const {
    return const_cast<CRegistryFile*>(this)->FindSection(name);
}

std::optional<std::string> CRegistryFile::Get(std::string_view section,
                                              std::string_view key) const {
    if (const Section* s = FindSection(section)) {
        for (const Line& l : s->lines) {
            if (!l.key.empty() && SameName(l.key, key)) {
                return l.text;
            }
        }
    }
    return std::nullopt;
}

void CRegistryFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = FindSection(section);
    if (s == nullptr) {
        m_sections.push_back({std::string(section), {}});
        s = &m_sections.back();
    }
    for (Line& l : s->lines) {
        if (!l.key.empty() && SameName(l.key, key)) {
            l.text = std::string(Trim(value));
            return;
        }
    }
    // After the section's last value, before the blank lines that separate it from the next.
    auto at = s->lines.end();
    while (at != s->lines.begin() && std::prev(at)->key.empty() && std::prev(at)->text.empty()) {
        --at;
    }
    s->lines.insert(at, {std::string(key), std::string(Trim(value))});
}

bool CRegistryFile::RemoveSection(std::string_view section) {
    for (auto it = m_sections.begin(); it != m_sections.end(); ++it) {
        if (SameName(it->name, section)) {
            m_sections.erase(it);
            return true;
        }
    }
    return false;
}

bool CRegistryFile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

std::vector<std::string> CRegistryFile::Sections() const {
    std::vector<std::string> names;
    for (const Section& s : m_sections) {
        names.push_back(s.name);
    }
    return names;
}

bool CRegistryFile::Update(const std::filesystem::path& path,
                           const std::function<void(CRegistryFile&)>& edit, std::string* error) {
    const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        if (error != nullptr) {
            *error = "Cannot create the folder " + dir.string() + ": " + ec.message();
        }
        return false;
    }
    const std::string lockPath = path.string() + ".lock";
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0) {
        SetError(error, "Cannot lock the registry file", path);
        return false;
    }
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            SetError(error, "Cannot lock the registry file", path);
            ::close(lock);
            return false;
        }
    }
    CRegistryFile file(path);
    bool ok = file.Load(error);
    if (ok) {
        edit(file);
        ok = file.Save(error);
    }
    ::close(lock);  // releases the lock
    return ok;
}

std::string ClassSection(const CLSID& clsid) {
    return "CLSID\\" + FormatGuid(clsid);
}
std::string ProgIdSection(std::string_view progId) {
    return "ProgID\\" + std::string(progId);
}
std::string TypeLibSection(const GUID& libid) {
    return "TypeLib\\" + FormatGuid(libid);
}

std::filesystem::path UserRegistryPath() {
    return platform::ConfigHome().value_or(".config") / "fonerix" / "registry.ini";
}

std::vector<std::filesystem::path> RegistrySearchPath() {
    return {UserRegistryPath(), "/etc/fonerix/registry.ini"};
}

std::optional<RegisteredClass> FindRegisteredClass(
    const CLSID& clsid, const std::vector<std::filesystem::path>& files) {
    const std::string section = ClassSection(clsid);
    for (const auto& path : files) {
        CRegistryFile file(path);
        if (!file.Load() || !file.HasSection(section)) {
            continue;
        }
        RegisteredClass c;
        c.clsid = clsid;
        c.library = file.Get(section, "Library").value_or("");
        c.progId = file.Get(section, "ProgID").value_or("");
        c.typeName = file.Get(section, "Name").value_or("");
        c.threadingModel = file.Get(section, "ThreadingModel").value_or("");
        c.file = path;
        return c;
    }
    return std::nullopt;
}

std::optional<CLSID> FindProgId(std::string_view progId,
                                const std::vector<std::filesystem::path>& files) {
    const std::string section = ProgIdSection(progId);
    for (const auto& path : files) {
        CRegistryFile file(path);
        if (!file.Load()) {
            continue;
        }
        if (const auto text = file.Get(section, "CLSID")) {
            return ParseGuid(*text);
        }
    }
    return std::nullopt;
}

}  // namespace fonerix
