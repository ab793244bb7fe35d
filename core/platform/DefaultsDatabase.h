#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plovik {

// The per-user defaults database: named data blobs that survive restarts.
class DefaultsDatabase {
  public:
    virtual ~DefaultsDatabase() = default;

    // The blob stored under the key; absent when there is none or it cannot be read.
    virtual std::optional<std::vector<std::uint8_t>> data(const std::string& key) const = 0;
    // Replaces the blob under the key; false when nothing was stored.
    virtual bool setData(const std::string& key, std::span<const std::uint8_t> data) = 0;
    // Removing a key that holds nothing is not an error.
    virtual void removeKey(const std::string& key) = 0;
};

}  // namespace plovik
