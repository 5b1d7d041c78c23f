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
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0;
}

bool FileWavSink::Close() {
    if (fd_ < 0) {
        return false;
    }
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
}

size_t FileWavSink::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (fd_ >= 0 && done < size) {
        const ssize_t n =
            ::pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
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
    if (offset >= capacity_) {
        return 0;
    }
    const size_t room = static_cast<size_t>(capacity_ - offset);
    const size_t n = size < room ? size : room;
    if (bytes_.size() < offset + n) {
        bytes_.resize(static_cast<size_t>(offset + n));
    }
    std::memcpy(bytes_.data() + offset, data, n);
    return n;
}

WavWriter::~WavWriter() {
    if (begun_) {
        Finish();
    }
}

bool WavWriter::Begin() {
    if (begun_) {
        return false;
    }
    uint8_t header[kWavHeaderSize];
    BuildWavHeader(sampleRate_, 0, header);
    begun_ = sink_.WriteAt(0, header, sizeof header) == sizeof header;
    return begun_;
}

bool WavWriter::Append(const uint8_t* samples, size_t count) {
    if (!begun_ || finished_ || failed_) {
        return false;
    }
    size_t accepted = count;
    if (accepted > kWavMaxSamples - sampleCount_) {
        accepted = kWavMaxSamples - sampleCount_;
    }
    const size_t landed = sink_.WriteAt(kWavHeaderSize + uint64_t(sampleCount_), samples, accepted);
    sampleCount_ += static_cast<uint32_t>(landed);
    failed_ = landed != count;
    return !failed_;
}

bool WavWriter::Finish() {
    if (!begun_ || finished_) {
        return finishResult_;
    }
    finished_ = true;
    uint32_t count = sampleCount_;
    if (count & 1) {
        static constexpr uint8_t kPad = 0;
        if (sink_.WriteAt(kWavHeaderSize + uint64_t(count), &kPad, 1) != 1) {
            // No room for the pad byte: drop the odd sample instead, so that the RIFF size
            // still matches the file. The file may keep the byte, past the chunk's end.
            --count;
            sampleCount_ = count;
        }
    }
    uint8_t header[kWavHeaderSize];
    BuildWavHeader(sampleRate_, count, header);
    finishResult_ = true;
    for (size_t offset : {kWavRiffSizeOffset, kWavFactCountOffset, kWavDataSizeOffset}) {
        finishResult_ = sink_.WriteAt(offset, header + offset, 4) == 4 && finishResult_;
    }
    return finishResult_;
}

}  // namespace fonerix
