// A fresh directory under $TMPDIR (or /tmp), removed with everything in it at destruction.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace fonerix::test {

class TemporaryDirectory {
  public:
    // The directory's name starts with `prefix`. Throws std::system_error if it cannot be made.
    explicit TemporaryDirectory(std::string_view prefix = "fonerix-test");
    ~TemporaryDirectory();

    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // A path for `name` inside the directory.
    std::string File(std::string_view name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

}  // namespace fonerix::test
