#include "control/voice/WavWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "control/voice/WavFormat.h"

namespace fonerix {

FileWavSink::~FileWavSink() {
    Close();
}

bool FileWavSink::Create(const std::string& path) {
    Close();
    do {
        m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd >= 0;
}

bool FileWavSink::Close() {
    if (m_fd < 0) {
        return false;
    }
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0;
}

size_t FileWavSink::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (m_fd >= 0 && done < size) {
        const ssize_t n =
            ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(offset + done));
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

size_t MemoryWavSink::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
    if (offset >= m_capacity) {
        return 0;
    }
    const size_t room = static_cast<size_t>(m_capacity - offset);
    const size_t n = size < room ? size : room;
    if (m_bytes.size() < offset + n) {
        m_bytes.resize(static_cast<size_t>(offset + n));
    }
    std::memcpy(m_bytes.data() + offset, data, n);
    return n;
}

WavWriter::~WavWriter() {
    if (m_begun) {
        Finish();
    }
}

bool WavWriter::Begin() {
    if (m_begun) {
        return false;
    }
    uint8_t header[kWavHeaderSize];
    BuildWavHeader(m_sampleRate, 0, header);
    m_begun = m_sink.WriteAt(0, header, sizeof header) == sizeof header;
    return m_begun;
}

bool WavWriter::Append(const uint8_t* samples, size_t count) {
    if (!m_begun || m_finished || m_failed) {
        return false;
    }
    size_t accepted = count;
    if (accepted > kWavMaxSamples - m_sampleCount) {
        accepted = kWavMaxSamples - m_sampleCount;
    }
    const size_t landed =
        m_sink.WriteAt(kWavHeaderSize + uint64_t(m_sampleCount), samples, accepted);
    m_sampleCount += static_cast<uint32_t>(landed);
    m_failed = landed != count;
    return !m_failed;
}

bool WavWriter::Finish() {
    if (!m_begun || m_finished) {
        return m_finishResult;
    }
    m_finished = true;
    uint32_t count = m_sampleCount;
    if (count & 1) {
        static constexpr uint8_t kPad = 0;
        if (m_sink.WriteAt(kWavHeaderSize + uint64_t(count), &kPad, 1) != 1) {
            // No room for the pad byte: drop the odd sample instead, so that the RIFF size
            // still matches the file. The file may keep the byte, past the chunk's end.
            --count;
            m_sampleCount = count;
        }
    }
    uint8_t header[kWavHeaderSize];
    BuildWavHeader(m_sampleRate, count, header);
    m_finishResult = true;
    for (size_t offset : {kWavRiffSizeOffset, kWavFactCountOffset, kWavDataSizeOffset}) {
        m_finishResult = m_sink.WriteAt(offset, header + offset, 4) == 4 && m_finishResult;
    }
    return m_finishResult;
}

}  // namespace fonerix
