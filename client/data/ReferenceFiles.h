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
// ended by CR LF or LF, sorted by their first field in the order of CompareReferenceKeys.
class CReferenceFile {
  public:
    // An unopened file when `path` cannot be opened for reading or is not a regular file (a
    // directory or a pipe named in the options must not hang or fail the search) (IsOpen false).
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

// The order of the first fields: Windows-1251 bytes compared as unsigned after folding every
// letter (Latin and Cyrillic, Ё and the other letters of the code page included) to lower case.
// Negative, zero or positive as a is before, equal to or after b.
int CompareReferenceKeys(std::string_view a, std::string_view b);

// Binary search over byte offsets for a line whose first field (the text before the first
// delimiter, or the whole line, with blanks trimmed at both ends) equals `number` without regard
// to letter case: true with that line in `line`. Lines of nothing but blanks are passed over;
// of several lines with the number, any one is found.
//
// `number` is the program's text (UTF-8, blanks around it ignored); a number that is empty or
// holds a character Windows-1251 lacks is in no file. `line` is the file's bytes (Windows-1251)
// without the line end.
//
// About log2(file size) line reads. Afterwards the file's read position is just past the last
// line read: for a line found, the start of the line after it. The first overload takes the
// delimiter from "Field Delimiter" of the program's profile, read at each call.
bool FindInReference(CReferenceFile& file, std::string_view number, std::string& line);
bool FindInReference(CReferenceFile& file, std::string_view number, char delimiter,
                     std::string& line);

}  // namespace fonedesk
