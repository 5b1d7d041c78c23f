#include "control/voice/RiffReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "control/voice/WavFormat.h"

namespace fonerix {

size_t MemoryRiffSource::ReadAt(uint64_t offset, uint8_t* data, size_t size) {
    if (offset >= m_size) {
        return 0;
    }
    const size_t left = m_size - static_cast<size_t>(offset);
    const size_t n = size < left ? size : left;
    std::memcpy(data, m_data + offset, n);
    return n;
}

FileRiffSource::~FileRiffSource() {
    Close();
}

bool FileRiffSource::Open(const std::string& path) {
    Close();
    do {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        Close();
        return false;
    }
    m_size = static_cast<uint64_t>(info.st_size);
    return true;
}

void FileRiffSource::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
    m_size = 0;
}

size_t FileRiffSource::ReadAt(uint64_t offset, uint8_t* data, size_t size) {
    size_t done = 0;
    while (m_fd >= 0 && done < size) {
        const ssize_t n =
            ::pread(m_fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

const char* RiffStatusText(RiffStatus status) {
    switch (status) {
        case RiffStatus::kOk:
            return "ok";
        case RiffStatus::kNotFound:
            return "chunk not found";
        case RiffStatus::kNotRiff:
            return "not a RIFF file";
        case RiffStatus::kWrongForm:
            return "wrong RIFF form type";
        case RiffStatus::kTruncatedHeader:
            return "chunk header cut off";
        case RiffStatus::kSizeLies:
            return "chunk size exceeds its parent or the file";
        case RiffStatus::kReadFailed:
            return "read failed";
    }
    return "unknown";
}

RiffStatus RiffReader::ReadHeader(uint64_t at, uint64_t limit, RiffChunk& chunk) {
    if (limit < at || limit - at < 8) {
        return RiffStatus::kTruncatedHeader;
    }
    uint8_t header[12];
    if (m_source.ReadAt(at, header, 8) != 8) {
        return RiffStatus::kReadFailed;
    }
    RiffChunk found;
    found.id = GetLe32(header);
    found.size = GetLe32(header + 4);
    found.start = at;
    found.dataOffset = at + 8;
    // 64-bit arithmetic: a 32-bit size added to an offset cannot wrap.
    found.dataEnd = found.dataOffset + found.size;
    if (found.dataEnd > limit) {
        return RiffStatus::kSizeLies;
    }
    if (found.id == kRiffId || found.id == FourCC("LIST")) {
        if (found.size < 4) {
            return RiffStatus::kTruncatedHeader;
        }
        if (m_source.ReadAt(found.dataOffset, header + 8, 4) != 4) {
            return RiffStatus::kReadFailed;
        }
        found.formType = GetLe32(header + 8);
        found.dataOffset += 4;
    }
    chunk = found;
    return RiffStatus::kOk;
}

RiffStatus RiffReader::DescendRiff(RiffChunk& riff, uint32_t formType) {
    RiffChunk found;
    const RiffStatus status = ReadHeader(0, m_source.Size(), found);
    if (status == RiffStatus::kTruncatedHeader && m_source.Size() < 8) {
        return RiffStatus::kNotRiff;
    }
    if (status == RiffStatus::kSizeLies) {
        // The size is checked before the identifier is trusted: tell the two apart.
        uint8_t id[4];
        if (m_source.ReadAt(0, id, 4) == 4 && GetLe32(id) != kRiffId) {
            return RiffStatus::kNotRiff;
        }
        return status;
    }
    if (status != RiffStatus::kOk) {
        return status;
    }
    if (found.id != kRiffId) {
        return RiffStatus::kNotRiff;
    }
    if (formType != 0 && found.formType != formType) {
        return RiffStatus::kWrongForm;
    }
    riff = found;
    m_position = found.dataOffset;
    return RiffStatus::kOk;
}

RiffStatus RiffReader::Descend(RiffChunk& chunk, const RiffChunk& parent, uint32_t id) {
    uint64_t at = m_position < parent.dataOffset ? parent.dataOffset : m_position;
    // Every step moves at least 8 bytes forward, so the walk ends.
    while (at < parent.dataEnd) {
        RiffChunk found;
        const RiffStatus status = ReadHeader(at, parent.dataEnd, found);
        if (status != RiffStatus::kOk) {
            return status;
        }
        if (id == 0 || found.id == id) {
            chunk = found;
            m_position = found.dataOffset;
            return RiffStatus::kOk;
        }
        at = found.dataEnd + (found.size & 1);
    }
    return RiffStatus::kNotFound;
}

void RiffReader::Ascend(const RiffChunk& chunk) {
    m_position = chunk.dataEnd;
    if ((chunk.size & 1) && m_position < m_source.Size()) {
        ++m_position;
    }
}

size_t RiffReader::Read(const RiffChunk& chunk, uint8_t* data, size_t size) {
    if (m_position < chunk.dataOffset || m_position >= chunk.dataEnd) {
        return 0;
    }
    const uint64_t left = chunk.dataEnd - m_position;
    const size_t n =
        m_source.ReadAt(m_position, data, size < left ? size : static_cast<size_t>(left));
    m_position += n;
    return n;
}

}  // namespace fonerix
