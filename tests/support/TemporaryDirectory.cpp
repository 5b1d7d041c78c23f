#include "tests/support/TemporaryDirectory.h"

#include <stdlib.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace fonerix::test {

TemporaryDirectory::TemporaryDirectory(std::string_view prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base != nullptr && *base != '\0') ? base : "/tmp";
    pattern += "/";
    pattern += prefix;
    pattern += "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot create a temporary directory " + pattern);
    }
    m_path = name.data();
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

}  // namespace fonerix::test
