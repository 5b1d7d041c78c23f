#include "sim/io/ImageFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "sim/ImageFormat.h"
#include "sim/io/SystemError.h"
#include "sim/io/UniqueFd.h"

namespace fonerix::sim {

std::optional<DeviceStores> ImageFile::Load() const {
    UniqueFd file(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        ThrowSystemError("cannot open the image " + m_path);
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    while (true) {
        const ssize_t count = ::read(file.Get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            ThrowSystemError("cannot read the image " + m_path);
        }
        if (count == 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    DecodedImage image = DecodeImage(bytes);
    if (!image.stores) {
        throw std::runtime_error("cannot use the image " + m_path + ": " + image.error);
    }
    return std::move(image.stores);
}

void ImageFile::Save(const DeviceStores& stores) const {
    const std::vector<std::uint8_t> bytes = EncodeImage(stores);
    const std::string scratch = m_path + ".new-" + std::to_string(::getpid());
    UniqueFd file(::open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file) {
        ThrowSystemError("cannot save the image: cannot create " + scratch);
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(file.Get(), bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            const int error = errno;
            ::unlink(scratch.c_str());
            errno = error;
            ThrowSystemError("cannot save the image: cannot write " + scratch);
        }
        written += static_cast<std::size_t>(count);
    }
    if (::fsync(file.Get()) != 0 || ::close(file.Release()) != 0 ||
        ::rename(scratch.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        ::unlink(scratch.c_str());
        errno = error;
        ThrowSystemError("cannot save the image " + m_path);
    }
}

}  // namespace fonerix::sim
