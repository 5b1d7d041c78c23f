#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fonerix {

// Bytes a RIFF file is read from: a file or memory, read at offsets.
class RiffSource {
  public:
    virtual ~RiffSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to `size` bytes at `offset`; returns how many were read (fewer only at the end
    // of the source or on a read error).
    virtual size_t ReadAt(uint64_t offset, uint8_t* data, size_t size) = 0;
};

// Bytes in memory that the caller keeps alive.
class MemoryRiffSource : public RiffSource {
  public:
    MemoryRiffSource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    size_t ReadAt(uint64_t offset, uint8_t* data, size_t size) override;

  private:
    const uint8_t* m_data;
    size_t m_size;
};

// A file opened for reading; its size is taken when it is opened.
class FileRiffSource : public RiffSource {
  public:
    FileRiffSource() = default;
    ~FileRiffSource() override;
    FileRiffSource(const FileRiffSource&) = delete;
    FileRiffSource& operator=(const FileRiffSource&) = delete;

    // False when the file cannot be opened or is not a regular file.
    bool Open(const std::string& path);
    void Close();

    uint64_t Size() const override { return m_size; }
    size_t ReadAt(uint64_t offset, uint8_t* data, size_t size) override;

  private:
    int m_fd = -1;
    uint64_t m_size = 0;
};

enum class RiffStatus : uint8_t {
    kOk,
    kNotFound,         // no such chunk before the end of the parent
    kNotRiff,          // the file does not start with a RIFF chunk
    kWrongForm,        // the RIFF form type is not the one asked for
    kTruncatedHeader,  // a chunk header, or its form type, is cut off
    kSizeLies,         // a chunk claims more bytes than its parent or the file holds
    kReadFailed,       // the source returned fewer bytes than it has
};

const char* RiffStatusText(RiffStatus status);

// One chunk, as Descend found it. A chunk that Descend returned lies wholly inside its parent
// and inside the source; nothing here is taken on trust from the file beyond that check.
struct RiffChunk {
    uint32_t id = 0;
    uint32_t size = 0;        // as declared; for RIFF and LIST it includes the form type
    uint32_t formType = 0;    // RIFF and LIST only
    uint64_t start = 0;       // offset of the chunk header
    uint64_t dataOffset = 0;  // first byte after the header (and after the form type)
    uint64_t dataEnd = 0;     // one past the last data byte
};

// Walks the chunks of a RIFF file: descend into a chunk, read inside it, ascend out of it. Every
// step checks the declared sizes against the parent chunk and the source; it never reads past
// either and never seeks by a size it has not checked.
class RiffReader {
  public:
    explicit RiffReader(RiffSource& source) : m_source(source) {}

    // Descends into the outer RIFF chunk at offset 0, which must be of form `formType` (0: any)
    // and fit inside the source. Leaves the position at its first sub-chunk.
    RiffStatus DescendRiff(RiffChunk& riff, uint32_t formType);

    // From the current position inside `parent`, skips chunks until one with `id` (0: the next
    // chunk), and descends into it; the position is then at its data. On failure the position
    // is left where it was.
    RiffStatus Descend(RiffChunk& chunk, const RiffChunk& parent, uint32_t id);

    // Moves to the end of `chunk`, past its pad byte if its size is odd and the pad is there.
    void Ascend(const RiffChunk& chunk);

    // Reads from the current position, never past the end of `chunk`; returns the bytes read
    // and advances by them.
    size_t Read(const RiffChunk& chunk, uint8_t* data, size_t size);

    uint64_t Position() const { return m_position; }
    void Seek(uint64_t position) { m_position = position; }

  private:
    RiffStatus ReadHeader(uint64_t at, uint64_t limit, RiffChunk& chunk);

    RiffSource& m_source;
    uint64_t m_position = 0;
};

}  // namespace fonerix
