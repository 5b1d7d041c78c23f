#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class ProfileFile;
}

namespace fonedesk {

// One phone-reference file, open for reading: lines "number<d>name<d>comment" in Windows-1251,
// sorted by their first field without regard to letter case.
class CReferenceFile {
  public:
    // An unopened file when `path` cannot be opened (IsOpen false).
    explicit CReferenceFile(const std::string& path);
    bool IsOpen() const { return m_file != nullptr; }
    const std::string& Path() const { return m_path; }
    std::FILE* Handle() const { return m_file.get(); }

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string m_path;
    std::unique_ptr<std::FILE, Closer> m_file;
};

// The files of the keys "Phone Reference0".."Phone Reference9" in order, up to the first empty
// key; those that cannot be opened are left out.
std::vector<CReferenceFile> OpenReferenceFiles(const platform::ProfileFile& profile);

// Binary search over byte offsets for the line whose first field is `number`: true with the whole
// line (as in the file, without its line end) in `line`. About log2(file size) line reads; the
// file's read position stays where the search stopped. The first overload takes the delimiter
// from the profile's "Field Delimiter".
bool FindInReference(CReferenceFile& file, std::string_view number, std::string& line);
bool FindInReference(CReferenceFile& file, std::string_view number, char delimiter,
                     std::string& line);

}  // namespace fonedesk
