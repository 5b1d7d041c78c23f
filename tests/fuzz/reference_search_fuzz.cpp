// Fuzzes the binary search in a reference file. The input's first byte picks the delimiter and
// the line ends, the rest gives the lines; they are sorted by their first field, written to an
// in-memory file and every first field, and numbers next to them, are looked up. The search must
// agree with a plain scan of the same lines: found exactly when some line has that first field,
// and then with one of those lines.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "client/data/ReferenceFiles.h"
#include "platform/codepage/Cp1251.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view KeyOf(std::string_view line, char delimiter) {
    return Trim(line.substr(0, line.find(delimiter)));
}

// One memory file for the whole run, rewritten for every input.
const std::string& MemoryFile() {
    static const std::string path = [] {
        const int fd = memfd_create("reference", 0);
        Require(fd >= 0);
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void WriteFile(const std::string& text) {
    const int fd = std::atoi(MemoryFile().c_str() + std::string_view("/proc/self/fd/").size());
    Require(ftruncate(fd, 0) == 0);
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n =
            pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        Require(n > 0);
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t options = data[0];
    static constexpr char kDelimiters[] = {',', ';', '|', '\t'};
    const char delimiter = kDelimiters[options & 3];
    const std::string_view lineEnd = (options & 4) != 0 ? "\r\n" : "\n";
    const bool finalLineEnd = (options & 8) != 0;

    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 1; i < size && lines.size() < 4000; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') {
            lines.push_back(current);
            current.clear();
        } else if (c != '\r') {
            current += c;
        }
    }
    lines.push_back(current);
    std::stable_sort(lines.begin(), lines.end(), [delimiter](const auto& a, const auto& b) {
        return fonedesk::CompareReferenceKeys(KeyOf(a, delimiter), KeyOf(b, delimiter)) < 0;
    });

    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || finalLineEnd) {
            text += lineEnd;
        }
    }
    WriteFile(text);
    fonedesk::CReferenceFile file(MemoryFile());
    Require(file.IsOpen());

    const auto check = [&](std::string_view number) {
        std::vector<std::string_view> matches;
        for (const std::string& line : lines) {
            if (!Trim(line).empty() && !Trim(number).empty() &&
                fonedesk::CompareReferenceKeys(KeyOf(line, delimiter), Trim(number)) == 0) {
                matches.push_back(line);
            }
        }
        std::string found;
        const bool ok =
            fonedesk::FindInReference(file, platform::Cp1251ToUtf8(number), delimiter, found);
        Require(ok == !matches.empty());
        Require(!ok || std::find(matches.begin(), matches.end(), found) != matches.end());
    };
    for (const std::string& line : lines) {
        const std::string key(KeyOf(line, delimiter));
        check(key);
        check(key + "0");
        if (!key.empty()) {
            check(key.substr(0, key.size() - 1));
        }
    }
    check("\x01");
    check("\xFF\xFF\xFF\xFF");
    return 0;
}
