#include "client/data/ReferenceFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "client/data/LetterCase.h"
#include "platform/codepage/Cp1251.h"
#include "platform/codepage/Utf8.h"
#include "platform/profile/FonedeskProfile.h"
#include "platform/profile/ProfileFile.h"

namespace fonedesk {

namespace {

namespace fp = platform::fonedesk_profile;

// Every byte's lower-case partner in Windows-1251. OtherCase works on Unicode, where the
// lower-case letter of every pair it knows is the one with the larger code point.
std::array<unsigned char, 256> MakeLowerCaseTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        const char32_t c = platform::Cp1251ToUnicode(byte);
        const char32_t partner = OtherCase(c);
        unsigned char lower = byte;
        if (partner > c) {
            platform::UnicodeToCp1251(partner, lower);
        }
        table[byte] = lower;
    }
    return table;
}

unsigned char LowerCase(char c) {
    static const std::array<unsigned char, 256> table = MakeLowerCaseTable();
    return table[static_cast<unsigned char>(c)];
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view KeyOf(std::string_view line, char delimiter) {
    return TrimBlanks(line.substr(0, line.find(delimiter)));
}

// The number in the file's code page; false when it holds a character the code page lacks (or
// malformed UTF-8), which no line of a reference file can hold either.
bool NumberInCp1251(std::string_view utf8, std::string& out) {
    out.clear();
    for (std::size_t pos = 0; pos < utf8.size();) {
        const platform::Utf8Step step = platform::DecodeUtf8(utf8, pos);
        unsigned char byte = 0;
        if (!step.valid || !platform::UnicodeToCp1251(step.codePoint, byte)) {
            return false;
        }
        out += static_cast<char>(byte);
        pos += step.length;
    }
    return true;
}

// Reads a file through one window of a few kilobytes, by position, without moving the file's
// read position: a probe of the search usually finds the line start and the whole line in the
// block it reads.
class CLineReader {
  public:
    CLineReader(int fd, off_t size) : m_fd(fd), m_size(size) {}

    bool Failed() const { return m_failed; }

    // The start of the first line that starts at or after `offset`; the file size when none does.
    off_t LineStartFrom(off_t offset) {
        if (offset <= 0) {
            return 0;
        }
        // A line starts at `offset` when the byte before it is a line feed.
        for (off_t at = offset - 1; at < m_size;) {
            if (!Cover(at)) {
                return m_size;
            }
            const char* begin = m_window.data() + (at - m_windowStart);
            const std::size_t length = static_cast<std::size_t>(WindowEnd() - at);
            if (const void* lf = std::memchr(begin, '\n', length)) {
                return at + (static_cast<const char*>(lf) - begin) + 1;
            }
            at = WindowEnd();
        }
        return m_size;
    }

    // The line that starts at `start`, without its CR LF or LF, and the start of the next one.
    bool ReadLine(off_t start, std::string& line, off_t& next) {
        line.clear();
        for (off_t at = start; at < m_size;) {
            if (!Cover(at)) {
                return false;
            }
            const char* begin = m_window.data() + (at - m_windowStart);
            const std::size_t length = static_cast<std::size_t>(WindowEnd() - at);
            if (const void* lf = std::memchr(begin, '\n', length)) {
                const std::size_t used = static_cast<const char*>(lf) - begin;
                line.append(begin, used);
                next = at + static_cast<off_t>(used) + 1;
                StripCarriageReturn(line);
                return true;
            }
            line.append(begin, length);
            at = WindowEnd();
        }
        next = m_size;
        StripCarriageReturn(line);
        return start < m_size;
    }

  private:
    static constexpr std::size_t kBlock = 4096;

    static void StripCarriageReturn(std::string& line) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
    }

    off_t WindowEnd() const { return m_windowStart + static_cast<off_t>(m_window.size()); }

    // Makes the window hold the byte at `offset` (< size). Blocks are aligned, so that the probes
    // of the last steps, close together, fall into the block already read.
    bool Cover(off_t offset) {
        if (offset >= m_windowStart && offset < WindowEnd()) {
            return true;
        }
        m_window.resize(kBlock);
        m_windowStart = offset - offset % static_cast<off_t>(kBlock);
        ssize_t got = 0;
        do {
            got = ::pread(m_fd, m_window.data(), kBlock, m_windowStart);
        } while (got < 0 && errno == EINTR);
        m_window.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        if (offset >= WindowEnd()) {
            // The file is shorter than it was or cannot be read: the search ends, not found.
            m_failed = true;
            return false;
        }
        return true;
    }

    int m_fd;
    off_t m_size;
    std::string m_window;
    off_t m_windowStart = 0;
    bool m_failed = false;
};

}  // namespace

CReferenceFile::CReferenceFile(const std::string& path) : m_path(path) {
    // Non-blocking, so that a pipe named in the options cannot hang the open; it is refused
    // below with everything else that is not a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_file.reset(::fdopen(fd, "rb"));
    if (!m_file) {
        ::close(fd);
    }
}

std::vector<CReferenceFile> OpenReferenceFiles(const platform::ProfileFile& profile) {
    std::vector<CReferenceFile> files;
    for (const std::string& path : fp::PhoneReferences(profile)) {
        CReferenceFile file(path);
        if (file.IsOpen()) {
            files.push_back(std::move(file));
        }
    }
    return files;
}

int CompareReferenceKeys(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = LowerCase(a[i]);
        const unsigned char y = LowerCase(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool FindInReference(CReferenceFile& file, std::string_view number, std::string& line) {
    const platform::ProfileFile profile(platform::ProfileFile::DefaultPath());
    return FindInReference(file, number, fp::FieldDelimiter(profile), line);
}

bool FindInReference(CReferenceFile& file, std::string_view number, char delimiter,
                     std::string& line) {
    std::FILE* handle = file.Handle();
    std::string wanted;
    if (handle == nullptr || !NumberInCp1251(TrimBlanks(number), wanted) || wanted.empty()) {
        return false;
    }
    struct stat info {};
    if (::fstat(::fileno(handle), &info) != 0 || info.st_size <= 0) {
        return false;
    }
    const off_t size = info.st_size;

    // Lower bound over byte offsets. Every non-blank line that starts before lo has a key before
    // the number, every one that starts at or after hi a key after it; each probe reads the first
    // non-blank line starting at or after the middle and moves one bound past the middle.
    CLineReader reader(::fileno(handle), size);
    off_t lo = 0;
    off_t hi = size;
    off_t stop = 0;
    bool found = false;
    std::string text;
    while (lo < hi && !found) {
        const off_t mid = lo + (hi - lo) / 2;
        off_t start = reader.LineStartFrom(mid);
        std::string_view key;
        bool probed = false;
        while (start < hi) {
            off_t next = 0;
            if (!reader.ReadLine(start, text, next)) {
                break;
            }
            stop = next;
            if (!TrimBlanks(text).empty()) {
                key = KeyOf(text, delimiter);
                probed = true;
                break;
            }
            start = next;
        }
        if (reader.Failed()) {
            break;
        }
        if (!probed) {
            // No line starts in [mid, hi): those from mid on are the ones from hi on.
            hi = mid;
            continue;
        }
        const int order = CompareReferenceKeys(key, wanted);
        if (order == 0) {
            line = text;
            found = true;
        } else if (order < 0) {
            lo = stop;
        } else {
            // No line starts in [mid, start): every line from mid on is at or after this one.
            hi = mid;
        }
    }
    // The stream's own buffer knows nothing of the reads by position: seeking drops it.
    std::clearerr(handle);
    fseeko(handle, stop, SEEK_SET);
    return found;
}

}  // namespace fonedesk
