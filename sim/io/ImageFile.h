// A set's image on disk.
#pragma once

#include <optional>
#include <string>

#include "sim/Engine.h"

namespace fonerix::sim {

class ImageFile {
  public:
    explicit ImageFile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }

    // The saved stores, or nothing when there is no image yet. Throws when a file is there but
    // cannot be read or is not an image: a set's data is never silently replaced by a fresh set.
    std::optional<DeviceStores> Load() const;

    // Writes a scratch file beside the image and renames it over it, so that a crash leaves
    // either the old image or the new one. Throws saying what failed.
    void Save(const DeviceStores& stores) const;

  private:
    std::string m_path;
};

}  // namespace fonerix::sim
