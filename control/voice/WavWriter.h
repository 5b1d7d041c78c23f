#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fonerix {

// Where a downloaded message goes: a store written at byte offsets.
class WavSink {
  public:
    virtual ~WavSink() = default;
    // Writes `size` bytes at `offset`; returns how many landed. Fewer than `size` means the
    // store is full or failed, and the bytes after them did not land.
    virtual size_t WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
};

// A file, created or emptied by Create.
class FileWavSink : public WavSink {
  public:
    FileWavSink() = default;
    ~FileWavSink() override;
    FileWavSink(const FileWavSink&) = delete;
    FileWavSink& operator=(const FileWavSink&) = delete;

    // False when the file cannot be created or opened for writing.
    bool Create(const std::string& path);
    // False when the file was not open or closing reported an error (data may be lost).
    bool Close();
    bool IsOpen() const { return m_fd >= 0; }

    size_t WriteAt(uint64_t offset, const uint8_t* data, size_t size) override;

  private:
    int m_fd = -1;
};

// Memory, optionally limited to `capacity` bytes, as a full disk would be.
class MemoryWavSink : public WavSink {
  public:
    explicit MemoryWavSink(size_t capacity = SIZE_MAX) : m_capacity(capacity) {}
    size_t WriteAt(uint64_t offset, const uint8_t* data, size_t size) override;
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

  private:
    size_t m_capacity;
    std::vector<uint8_t> m_bytes;
};

// Writes an 8-bit mono WAV file as samples arrive, so that whatever happens to the transfer the
// file is a valid WAV file whose sizes count exactly the samples in it:
//
//   Begin()            header with a sample count of 0
//   Append() ...       samples as they are decoded
//   Finish()           the sizes rewritten for the samples that landed
//
// A writer that was begun and not finished finishes in its destructor.
class WavWriter {
  public:
    WavWriter(WavSink& sink, uint32_t sampleRate) : m_sink(sink), m_sampleRate(sampleRate) {}
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Writes the header. False if it did not land whole.
    bool Begin();
    // Appends samples. False if not begun, already finished, or not all of them landed; the
    // ones that did count, and nothing more is appended after a failure.
    bool Append(const uint8_t* samples, size_t count);
    // Writes the pad byte after an odd sample count and the three sizes. False if not begun or
    // the sizes did not land. Further calls do nothing and repeat the result.
    bool Finish();

    uint32_t SampleCount() const { return m_sampleCount; }
    bool Failed() const { return m_failed; }

  private:
    WavSink& m_sink;
    uint32_t m_sampleRate;
    uint32_t m_sampleCount = 0;
    bool m_begun = false;
    bool m_finished = false;
    bool m_failed = false;
    bool m_finishResult = false;
};

}  // namespace fonerix
